#!/usr/bin/env bash
# volnrx-cli on a fresh machine image: load, apply, apply again without touching anything.
# A dry run first lists only the absent two-state values the pages write in the state shown, and
# the apply adds them and changes nothing else. No error box, every settings page's values
# written (one representative value each), values the pages read otherwise than they write
# kept, and the boot files intact; the second apply writes the same as the first.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/file_attributes.sh"
source "$(dirname "$0")/fresh_apply_lib.sh"

fresh
fresh_apply_check "fresh image" '"PaintDesktopVersion"="0"
"Link"=hex:01,00,00,00
"DontPrettyPath"=dword:00000000
@=""
"Attributes"=hex:40,01,00,20
"UpdateMode"=hex:00,00,00,00'

fresh
batch=$(find_file autoexec.bat)
ini=$(find_file windows/system.ini)
intl='HKCU\Control Panel\International'
run reg add "$intl" /v sLongDate /t REG_SZ /d "dddd, MMMM d, yyyy" /f >/dev/null
batch_before=$(cat "$batch")
ini_before=$(cat "$ini")
out=$(run apply 2>&1); rc=$?
[ "$rc" = 0 ] || fail "first apply exit status $rc"
expect_not "first apply: no message box" "message:" "$out"
first=$(dump_registry)
out=$(run apply 2>&1); rc=$?
[ "$rc" = 0 ] || fail "second apply exit status $rc"
expect_not "second apply: no message box" "message:" "$out"
expect_has "settings broadcast" "journal: SendMessage HWND_BROADCAST WM_WININICHANGE 0 0" "$out"
expect_eq "second apply writes what the first wrote" "$first" "$(dump_registry)"

check() {  # page, key, expected line of its reg query
  local q
  q=$(run reg query "$2" 2>&1)
  expect_has "$1" "$3" "$q"
}
check "start menu: menu delay" 'HKCU\Control Panel\Desktop' "MenuShowDelay    REG_SZ    400"
check "desktop: version text" 'HKCU\Control Panel\Desktop' "PaintDesktopVersion    REG_SZ    0"
check "explorer: names as typed" 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Advanced' \
  "DontPrettyPath    REG_DWORD    0x0"
check "explorer: window update" 'HKLM\System\CurrentControlSet\Control\Update' \
  "UpdateMode    REG_BINARY    00000000"
check "user: owner" 'HKLM\Software\Microsoft\Windows\CurrentVersion' "RegisteredOwner    REG_SZ"
check "general: audio CD verb" 'HKLM\Software\Classes\AudioCD\Shell' "(Default)    REG_SZ"
q=$(run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Icons' 2>&1)
expect_not "service: no overlay value" "29" "$q"
check "start menu: the user's long date format" "$intl" "sLongDate    REG_SZ    dddd, MMMM d, yyyy"
check "general: the image's autorun mask" \
  'HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer' \
  "NoDriveTypeAutoRun    REG_BINARY    95000000"
check "desktop colour" 'HKCU\Control Panel\Colors' "Background    REG_SZ"

expect_eq "Autoexec.bat intact" "$batch_before" "$(cat "$batch")"
expect_eq "Autoexec.bat read-only" "R--" "$(attributes "$batch")"
expect_eq "system.ini intact" "$ini_before" "$(cat "$ini")"

finish "fresh image load and apply"
