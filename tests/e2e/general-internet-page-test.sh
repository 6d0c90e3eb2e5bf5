#!/usr/bin/env bash
# volnrx-cli over fresh machine images: the General page (registry rules and the folder
# protection files) and the Internet Explorer page, changed as a user would and read back.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
winoldapp='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\WinOldApp'
explorer='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\Explorer'
main='HKLM\SOFTWARE\Microsoft\Internet Explorer\Main'

# General: an unchanged load and apply shows no error; unchecked restrictions are written.
fresh
cat > "$work/general.txt" <<'SCRIPT'
page 9
dump cbMsdosSeans
dump cbViewWindowsFiles
check cbMsdosSeans off
check cbAutoranCDdata off
check cbViewWindowsFiles on
apply
SCRIPT
out=$(run -f "$work/general.txt" 2>&1); rc=$?
[ "$rc" = 0 ] || fail "general script exit status $rc"
expect_has "MS-DOS allowed on a fresh image" "cbMsdosSeans.checked=1" "$out"
expect_has "no protection on a fresh image" "cbViewWindowsFiles.checked=0" "$out"
expect_not "no error box" "Ошибка" "$out"
q=$(run reg query "$winoldapp")
expect_has "MS-DOS session restricted" "Disabled    REG_DWORD    0x1" "$q"
q=$(run reg query "$explorer")
expect_has "CD autorun mask" "NoDriveTypeAutoRun    REG_BINARY    20000000" "$q"
htt=$(find_file 'windows/folder.htt')
[ -n "$htt" ] && [ -s "$htt" ] || fail "folder.htt not written in the Windows folder"
[ -n "$(find_file 'windows/desktop.ini')" ] || fail "desktop.ini not written in the Windows folder"
[ -z "$(find_file 'windows/system/folder.htt')" ] || fail "System folder touched"
out=$(printf 'dump cbViewWindowsFiles\ncheck cbViewWindowsFiles off\napply\n' > "$work/off.txt"; run -f "$work/off.txt")
expect_has "protection loads checked" "cbViewWindowsFiles.checked=1" "$out"
[ -z "$(find_file 'windows/folder.htt')" ] || fail "folder.htt not deleted"
[ -z "$(find_file 'windows/desktop.ini')" ] || fail "desktop.ini not deleted"

# Internet Explorer: the default title on a fresh image; a typed title is written.
fresh
cat > "$work/ie.txt" <<'SCRIPT'
page 11
dump edtInetWindowTitle
dump cbIETextDefault
check cbIETextDefault off
type edtInetWindowTitle Мой обозреватель
check cbContextMenuIE off
apply
SCRIPT
out=$(run -f "$work/ie.txt" 2>&1); rc=$?
[ "$rc" = 0 ] || fail "internet script exit status $rc"
expect_has "default title shown" "edtInetWindowTitle.text=Microsoft Internet Explorer" "$out"
expect_has "default box checked" "cbIETextDefault.checked=1" "$out"
q=$(run reg query "$main")
expect_has "title written" "Window title    REG_SZ    Мой обозреватель" "$q"
q=$(run reg query 'HKCU\SOFTWARE\Policies\Microsoft\Internet Explorer\Restrictions')
expect_has "context menu restricted" "NoBrowserContextMenu    REG_BINARY    01000000" "$q"
printf 'check cbIETextDefault on\napply\n' > "$work/default.txt"
run -f "$work/default.txt" >/dev/null
q=$(run reg query "$main" 2>&1)
expect_not "default title deletes the value" "Window title" "$q"

finish "general and internet pages"
