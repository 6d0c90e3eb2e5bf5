#!/usr/bin/env bash
# volnrx-cli over fresh machine images: a folder's icon and tooltip written to its Desktop.ini
# with the folder made a system folder, read back by the next start, and removed again, with
# and without an "ExtShellFolderViews" section that keeps the system attribute.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/file_attributes.sh"
ini_text() { tr -d '\r' <"$1"; }  # Desktop.ini without its CRs

fresh
folder=$drive/Data
mkdir -p "$folder"
set_attributes "$folder" H
expect_eq "before: hidden folder" "-H-" "$(attributes "$folder")"

# Write: the three keys, the folder made exactly a system folder, "Назначить" disabled after it.
cat > "$work/set.txt" <<'SCRIPT'
page 17
pick-folder C:\Data
click sbtnOpenFolder
pick-icon C:\WINDOWS\SYSTEM\SHELL32.DLL,3
click sbtnSelectIcon
type memInfoTipFolder Мои документы
dump btnSetIcon
click btnSetIcon
dump btnSetIcon
dump btnDelIcon
SCRIPT
out=$(run -f "$work/set.txt" 2>&1); rc=$?
expect_eq "set: exit status" 0 "$rc"
grep -q '^message:' <<<"$out" && fail "set: a message box: $out"
expect_eq "set: button states" "btnSetIcon.enabled=1
btnSetIcon.enabled=0
btnDelIcon.enabled=0" "$(grep -E '^btn(Set|Del)Icon\.enabled=' <<<"$out")"
[ -f "$folder/Desktop.ini" ] || fail "set: no Desktop.ini written"
expect_eq "set: Desktop.ini" "[.ShellClassInfo]
IconFile=C:\\WINDOWS\\SYSTEM\\SHELL32.DLL
IconIndex=3
InfoTip=Мои документы" "$(ini_text "$folder/Desktop.ini" | iconv -f CP1251 -t UTF-8)"
expect_eq "set: folder only system" "--S" "$(attributes "$folder")"

# The folder browser opens on the folder the edit names (none the first time).
out=$(run page 17 pick-folder 'C:\Data' click sbtnOpenFolder cancel-dialog click sbtnOpenFolder 2>&1)
expect_eq "browse: opens on the named folder" 'journal: SHBrowseForFolder C:\Data
journal: SHBrowseForFolder BFFM_SETSELECTION C:\Data
journal: SHBrowseForFolder cancelled' "$(grep '^journal: SHBrowseForFolder' <<<"$out")"

# The next start reads it back when the folder is chosen, and "Убрать" removes the keys; without
# an ExtShellFolderViews section the folder becomes normal again.
cat > "$work/remove.txt" <<'SCRIPT'
page 17
pick-folder C:\Data
click sbtnOpenFolder
dump edtIconFile
dump memInfoTipFolder
dump btnDelIcon
click btnDelIcon
dump edtIconFile
dump btnDelIcon
SCRIPT
out=$(run -f "$work/remove.txt" 2>&1); rc=$?
expect_eq "remove: exit status" 0 "$rc"
expect_eq "read back, then the icon edit emptied" 'edtIconFile.text=C:\WINDOWS\SYSTEM\SHELL32.DLL
edtIconFile.text=' "$(grep '^edtIconFile\.text=' <<<"$out")"
expect_eq "read back: tooltip" "memInfoTipFolder.text=Мои документы" "$(grep '^memInfoTipFolder\.text=' <<<"$out")"
expect_eq "remove: button and edit" 'btnDelIcon.enabled=1
btnDelIcon.enabled=0' "$(grep '^btnDelIcon\.enabled=' <<<"$out")"
[ -f "$folder/Desktop.ini" ] || fail "remove: Desktop.ini deleted"
if grep -qiE '^(IconFile|IconIndex|InfoTip)=' "$folder/Desktop.ini"; then
  fail "remove: keys left in Desktop.ini"
fi
expect_eq "remove: folder normal" "---" "$(attributes "$folder")"

# A Desktop.ini with an ExtShellFolderViews section: the system attribute stays after "Убрать",
# and that section is kept byte for byte.
views=$drive/Views
mkdir -p "$views"
printf '[ExtShellFolderViews]\r\nDefault={5984FFE0-28D4-11CF-AE66-08002B2E1262}\r\n' >"$views/Desktop.ini"
run page 17 pick-folder 'C:\Views' click sbtnOpenFolder pick-icon 'C:\WINDOWS\SYSTEM\SHELL32.DLL,7' \
  click sbtnSelectIcon click btnSetIcon >/dev/null || fail "views: set failed"
expect_eq "views: set adds the section" "[ExtShellFolderViews]
Default={5984FFE0-28D4-11CF-AE66-08002B2E1262}
[.ShellClassInfo]
IconFile=C:\\WINDOWS\\SYSTEM\\SHELL32.DLL
IconIndex=7
InfoTip=" "$(ini_text "$views/Desktop.ini")"
expect_eq "views: system after set" "--S" "$(attributes "$views")"
run page 17 pick-folder 'C:\Views' click sbtnOpenFolder click btnDelIcon >/dev/null ||
  fail "views: remove failed"
expect_eq "views: system kept after remove" "--S" "$(attributes "$views")"
grep -qF 'Default={5984FFE0-28D4-11CF-AE66-08002B2E1262}' "$views/Desktop.ini" ||
  fail "views: the other section lost"

finish "folder-icon"
