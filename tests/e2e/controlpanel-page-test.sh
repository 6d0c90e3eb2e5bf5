#!/usr/bin/env bash
# volnrx-cli over fresh machine images: the Control panel page's restrictions loaded, changed as
# a user would, applied, and read back with reg query.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
internet='HKCU\SOFTWARE\Policies\Microsoft\Internet Explorer\Control Panel'
system='HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\System'

# Only SecurityTab set: the master loads checked; apply writes nothing else.
fresh
run reg add "$internet" /v SecurityTab /t REG_BINARY /d 01000000 /f >/dev/null
run reg add "$system" /v NoDispCPL /t REG_BINARY /d 01000000 /f >/dev/null
cat > "$work/load.txt" <<'SCRIPT'
page 6
dump cbInternetSetting
dump cbInternetSetting2
dump cbDicpleyProperty1
dump cbDicpleyProperty3
click spbtnCplSelect4
check cbAboutSystem2 off
apply
SCRIPT
out=$(run -f "$work/load.txt"); rc=$?
[ "$rc" = 0 ] || fail "script exit status $rc"
expect_has "Internet master derived checked" "cbInternetSetting.checked=1" "$out"
expect_has "security tab restricted" "cbInternetSetting2.checked=0" "$out"
expect_has "display applet restricted" "cbDicpleyProperty1.checked=0" "$out"
expect_has "its tabs disabled" "cbDicpleyProperty3.enabled=0" "$out"
q=$(run reg query "$internet")
expect_has "SecurityTab kept" "SecurityTab    REG_BINARY    01000000" "$q"
expect_not "no other Internet flag" "GeneralTab" "$q"
q=$(run reg query "$system")
expect_has "device manager tab restricted" "NoDevMgrPage    REG_BINARY    01000000" "$q"
expect_has "display flag kept" "NoDispCPL    REG_BINARY    01000000" "$q"

# Unchecking the Internet master writes all seven flags, even for checked boxes.
cat > "$work/master.txt" <<'SCRIPT'
page 6
click spbtnCplSelect7
check cbInternetSetting off
apply
SCRIPT
run -f "$work/master.txt" >/dev/null
q=$(run reg query "$internet")
for v in GeneralTab HomePage SecurityTab ContentTab ConnectionsTab ProgramsTab AdvancedTab; do
  expect_has "$v written" "$v    REG_BINARY    01000000" "$q"
done
printf 'dump cbInternetSetting\ndump cbInternetSetting7\n' > "$work/next.txt"
out=$(run -f "$work/next.txt")
expect_has "next start: master unchecked" "cbInternetSetting.checked=0" "$out"
expect_has "next start: home page restricted" "cbInternetSetting7.checked=0" "$out"

finish "control panel page"
