#!/usr/bin/env bash
# volnrx-cli over fresh machine images: the Start menu page's settings loaded from the registry,
# changed as a user would, applied, and read back with reg query.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
policy='HKLM\Software\Microsoft\Windows\CurrentVersion\Policies\explorer'

fresh
run reg add "$policy" /v NoRun /t REG_BINARY /d 01000000 /f >/dev/null
run reg add "$policy" /v NoFind /t REG_DWORD /d 1 /f >/dev/null
run reg add 'HKCU\Control Panel\Desktop' /v MenuShowDelay /t REG_SZ /d 9000 /f >/dev/null
cat > "$work/startmenu.txt" <<'SCRIPT'
page 4
dump cbStartMenuItem6
dump cbStartMenuItem5
dump trkbarMenuSpeed
check cbStartMenuItem6 on
check cbStartMenuItem8 off
check cbStartMenuItem1 on
click spidbtnStartMenu
check cbContexMenuOnOff on
check cbContextMenuIndex1 on
item clbStartmainServis 2 on
apply
SCRIPT
out=$(run -f "$work/startmenu.txt"); rc=$?
[ "$rc" = 0 ] || fail "script exit status $rc"
expect_has "NoRun as the flag loads unchecked" "cbStartMenuItem6.checked=0" "$out"
expect_has "NoFind as a REG_DWORD hides Find, as the shell reads it" "cbStartMenuItem5.checked=0" "$out"
expect_has "menu delay clamped" "trkbarMenuSpeed.position=5000" "$out"
expect_has "menu delay set in the running system" "SystemParametersInfo 107 5000 flags 2" "$out"

q=$(run reg query "$policy")
expect_not "NoRun removed" "NoRun" "$q"
expect_has "NoFind as loaded: kept" "NoFind    REG_DWORD    0x1" "$q"
expect_has "NoClose written" "NoClose    REG_BINARY    01000000" "$q"
q=$(run reg query 'HKLM\Software\CLASSES\Directory\shell\Regedit\command' /ve)
expect_has "registry editor verb" "REG_SZ    Regedit.exe" "$q"
q=$(run reg query 'HKCU\Control Panel\International' /v sLongDate)
expect_has "long date marker" "sLongDate    REG_SZ    dddd, d MMMM yyyy 'г.'" "$q"
q=$(run reg query 'HKCU\Control Panel\Desktop' /v MenuShowDelay)
expect_has "menu delay stored" "MenuShowDelay    REG_SZ    5000" "$q"
[ -n "$(find "$drive" -maxdepth 4 -type d -name 'Принтеры.{2227A280-3AEA-1069-A2DE-08002B30309D}')" ] ||
  fail "Printers folder in the Start Menu"

# The next start shows what was applied.
printf 'dump cbStartMenuItem6\ndump cbStartMenuItem8\ndump cbStartMenuItem1\n' > "$work/next.txt"
out=$(run -f "$work/next.txt")
expect_has "next start: Run item shown" "cbStartMenuItem6.checked=1" "$out"
expect_has "next start: Shut down item hidden" "cbStartMenuItem8.checked=0" "$out"
expect_has "next start: Printers folder there" "cbStartMenuItem1.checked=1" "$out"

finish "startmenu page"
