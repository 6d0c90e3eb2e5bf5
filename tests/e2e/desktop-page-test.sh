#!/usr/bin/env bash
# volnrx-cli over fresh machine images: the Desktop page's options, screen saver and background
# colour loaded, changed as a user would, applied, and read back with reg query.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
policy='HKLM\Software\Microsoft\Windows\CurrentVersion\Policies\explorer'

fresh
run reg add 'HKCU\Control Panel\Colors' /v Background /t REG_SZ /d "0 400 0" /f >/dev/null
run reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveActive /t REG_SZ /d 1 /f >/dev/null
run reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveTimeOut /t REG_SZ /d 90 /f >/dev/null
run reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\explorer' /v "Max Cached Icons" /t REG_SZ /d 2048 /f >/dev/null
cat > "$work/desktop.txt" <<'SCRIPT'
page 5
dump trbGreen
dump lbGreen
dump cbDesktopColorDefault
dump seTimeScreenSaverOn
dump clbDesctopSetting
item clbDesctopSetting 1 off
item clbDesctopSetting 3 off
apply
SCRIPT
out=$(run -f "$work/desktop.txt"); rc=$?
[ "$rc" = 0 ] || fail "script exit status $rc"
expect_has "green clamped to the slider" "trbGreen.position=255" "$out"
expect_has "green label" "lbGreen.text=255" "$out"
expect_has "not the default colour" "cbDesktopColorDefault.checked=0" "$out"
expect_has "90 seconds are 1 minute" "seTimeScreenSaverOn.text=1" "$out"
expect_has "desktop items shown" "clbDesctopSetting.item[1].checked=1" "$out"
expect_has "icon cache other than 1024" "clbDesctopSetting.item[7].checked=0" "$out"
expect_has "tips absent load checked" "clbDesctopSetting.item[5].checked=1" "$out"
expect_has "desktop hidden at once" 'ShowWindow' "$out"

q=$(run reg query 'HKCU\Control Panel\Colors' /v Background)
expect_has "colour written back clamped" "Background    REG_SZ    0 255 0" "$q"
q=$(run reg query "$policy")
expect_has "NoDesktop written" "NoDesktop    REG_BINARY    01000000" "$q"
expect_has "NoNetHood written" "NoNetHood    REG_BINARY    01000000" "$q"
q=$(run reg query 'HKCU\Control Panel\Desktop')
expect_has "timeout left as loaded: kept" "ScreenSaveTimeOut    REG_SZ    90" "$q"
expect_has "screen saver stays on" "ScreenSaveActive    REG_SZ    1" "$q"
run page 5 set seTimeScreenSaverOn 3 apply >/dev/null 2>&1
expect_has "timeout set in minutes" "ScreenSaveTimeOut    REG_SZ    180" \
  "$(run reg query 'HKCU\Control Panel\Desktop' /v ScreenSaveTimeOut)"
q=$(run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\explorer' /v "Max Cached Icons" 2>&1)
expect_has "icon cache value as loaded: kept" "REG_SZ    2048" "$q"
q=$(run reg query 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Advanced' /v ShowInfoTip)
expect_has "tips written as 1" "ShowInfoTip    REG_DWORD    0x1" "$q"

# The default box: the default colour, written whatever the sliders showed.
cat > "$work/default.txt" <<'SCRIPT'
page 5
check cbDesktopColorDefault on
dump panDesktop
dump trbRed
apply
SCRIPT
out=$(run -f "$work/default.txt")
expect_has "default colour shown" "panDesktop.color=0x808000" "$out"
expect_has "sliders locked" "trbRed.enabled=0" "$out"
q=$(run reg query 'HKCU\Control Panel\Colors' /v Background)
expect_has "default colour written" "Background    REG_SZ    0 128 128" "$q"

finish "desktop page"
