#!/usr/bin/env bash
# volnrx-cli over fresh machine images: the Explorer page's radio and two-state settings written
# and read back, and the Repair page's .inf association, thumbnail and Recycle Bin repairs.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/file_attributes.sh"
advanced='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Advanced'

# Explorer: stored values load; a user's changes are written as the rules store them.
fresh
run reg add "$advanced" /v Hidden /t REG_DWORD /d 2 /f >/dev/null
run reg add "$advanced" /v HideFileExt /t REG_DWORD /d 0 /f >/dev/null
cat > "$work/explorer.txt" <<'SCRIPT'
page 10
dump rbExplorer2
dump cbExplorer3
check rbExplorer3 on
check cbExplorer3 off
item clbExplorerSetting 1 on
apply
SCRIPT
run_script "$work/explorer.txt"
expect_has "hidden files not shown" "rbExplorer2.checked=1" "$out"
expect_has "extensions shown" "cbExplorer3.checked=1" "$out"
expect_not "no error box" "message:" "$out"
q=$(run reg query "$advanced")
expect_has "all files shown" "Hidden    REG_DWORD    0x1" "$q"
expect_has "extensions hidden" "HideFileExt    REG_DWORD    0x1" "$q"
expect_has "names in capitals" "DontPrettyPath    REG_DWORD    0x1" "$q"
out=$(run page 10 dump rbExplorer3 dump cbExplorer3 2>&1)
expect_has "next start: all files" "rbExplorer3.checked=1" "$out"
expect_has "next start: extensions hidden" "cbExplorer3.checked=0" "$out"

# Repair: the .inf association, the thumbnail extractors and the Recycle Bin's view file.
fresh
run reg add 'HKLM\Software\Classes\.inf' /ve /t REG_SZ /d broken /f >/dev/null
cat > "$work/repair.txt" <<'SCRIPT'
page 8
select cbRepairSelected 1
check cbAssociateINF on
click btnRepair
select cbRepairSelected 2
click btnRepair
select cbRepairSelected 3
click btnRepair
SCRIPT
run_script "$work/repair.txt"
q=$(run reg query 'HKLM\Software\Classes\.inf')
expect_has ".inf points at its class" "(Default)    REG_SZ    inffile" "$q"
q=$(run reg query 'HKLM\Software\Classes\inffile' /s)
expect_has "install verb" 'C:\WINDOWS\rundll.exe setupx.dll,InstallHinfSection DefaultInstall 132 %1' "$q"
expect_has "inf icon" 'C:\WINDOWS\SYSTEM\shell32.dll,-151' "$q"
q=$(run reg query 'HKLM\Software\Classes\.bmp\ShellEx\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}')
expect_has "thumbnail extractor" "{7376D660-C583-11d0-A3A5-00C04FD706EC}" "$q"
ini=$(find_file recycled/desktop.ini)
if [ -z "$ini" ]; then
  fail "Recycle Bin view file not written"
else
  expect_has "Recycle Bin class" "CLSID={645FF040-5081-101B-9F08-00AA002F954E}" "$(cat "$ini")"
fi

finish "explorer and repair pages"
