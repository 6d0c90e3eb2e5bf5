#!/usr/bin/env bash
# restore BACKUPDIR [/f] puts back exactly what the backed-up run changed: a backup that does not
# match its manifest, or one made on another image, is refused with the image unchanged; what
# was added or changed after the backup stays; system parameters the run stored come back; and
# apply + restore over every page leaves the image as it was, value for value and file for file.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
# A disk image's bytes change on every run (the volume is written back): the copied 9x drive
# covers the same paths.
[ "$machine" = disk ] && exit 77

dump_registry() { run reg query HKLM /s; run reg query HKCU /s; }
cat > "$work/pages.txt" <<'SCRIPT'
page 4
check cbStartMenuItem6 off
page 5
item clbDesctopSetting 1 off
check cbScreenSaverActive off
page 7
type edtCurrentUser Анна
page 9
check cbMsdosSeans off
apply
SCRIPT

# 1. A backup that does not match its manifest is refused whole, naming the bad part; the image
# stays byte-identical.
fresh
run --backup "$work/bk" -f "$work/pages.txt" >/dev/null 2>&1 || fail "backed-up run failed"
[ -f "$work/bk/files/1" ] || fail "the run backed up no file"
damage() {  # CASE: spoils a copy of the backup in $work/bad
  rm -rf "$work/bad"; cp -a "$work/bk" "$work/bad"
  case $1 in
    copy-cut) truncate -s 10 "$work/bad/files/1" ;;
    copy-missing) rm "$work/bad/files/1" ;;
    undo-changed) sed -i 's/REGEDIT4/REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software]/' "$work/bad/undo.reg" ;;
    manifest-cut) head -n 5 "$work/bk/manifest.txt" >"$work/bad/manifest.txt" ;;
    manifest-old) printf 'volnerix-backup 1\r\n' >"$work/bad/manifest.txt" ;;
  esac
}
while read -r case expected; do
  damage "$case"
  before=$(tree_sum "$work/img")
  out=$(run restore "$work/bad" 2>&1) && fail "$case: restore of a damaged backup succeeded"
  expect_has "$case: named" "$expected" "$out"
  expect_has "$case: refused" "nothing was restored" "$out"
  expect_eq "$case: the image byte-identical" "$before" "$(tree_sum "$work/img")"
done <<'CASES'
copy-cut the backup's copy files\1 of
copy-missing the backup's copy files\1 of
undo-changed the backup's undo.reg is damaged
manifest-cut the backup's manifest.txt is damaged
manifest-old was made by an earlier volnrx-cli
CASES

# 2. Onto another image: refused, unless forced.
cp -a "$work/img" "$work/other"
before=$(tree_sum "$work/other")
out=$("$cli" "$image_option" "$work/other" restore "$work/bk" 2>&1) && fail "restore onto another image succeeded"
expect_has "another image named" "the backup was made on ${image_option#--} " "$out"
expect_has "another image: how to force" "/f puts it back all the same" "$out"
expect_eq "another image: unchanged" "$before" "$(tree_sum "$work/other")"
out=$("$cli" "$image_option" "$work/other" restore "$work/bk" /f 2>&1) || fail "forced restore onto another image: $out"
rm -rf "$work/other"

# 3. What was added or changed after the backup stays; the rest goes back.
fresh
registry_before=$(dump_registry)
files_before=$(files_sum "$work/img")
out=$(run --backup "$work/bk2" -f "$work/pages.txt" 2>&1) || fail "backed-up run: $out"
expect_has "the run stored the screen saver flag" 'ScreenSaveActive    REG_SZ    0' \
  "$(run reg query 'HKCU\Control Panel\Desktop' /v ScreenSaveActive)"
run reg add 'HKLM\System\CurrentControlSet\Services\VxD\MyDriver' /v StaticVxD /d 'mydrv.vxd' /f >/dev/null
run reg add 'HKCU\Software\Policies\Later' /v Flag /t REG_DWORD /d 1 /f >/dev/null
run reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v RegisteredOwner /d 'Пётр' /f >/dev/null
out=$(run restore "$work/bk2" 2>&1); rc=$?
[ "$rc" = 0 ] || fail "restore exit status $rc: $out"
expect_has "the newer owner is reported" 'RegisteredOwner" changed since the backup; the newer value is kept' "$out"
expect_has "a later key stays" 'StaticVxD    REG_SZ    mydrv.vxd' \
  "$(run reg query 'HKLM\System\CurrentControlSet\Services\VxD\MyDriver' /v StaticVxD 2>&1)"
expect_has "a later policy stays" 'Flag    REG_DWORD    0x1' "$(run reg query 'HKCU\Software\Policies\Later' 2>&1)"
expect_has "the newer owner stays" 'RegisteredOwner    REG_SZ    Пётр' \
  "$(run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v RegisteredOwner)"
expect_eq "the files as before" "$files_before" "$(files_sum "$work/img")"
out=$(run restore "$work/bk2" /f 2>&1) || fail "forced restore: $out"
expect_has "forced: the earlier owner" "$(grep RegisteredOwner <<<"$registry_before")" \
  "$(run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v RegisteredOwner)"
# Without the three later additions, the registry is the one before the run.
run reg delete 'HKLM\System\CurrentControlSet\Services\VxD\MyDriver' /f >/dev/null
run reg delete 'HKCU\Software\Policies\Later' /f >/dev/null
for key in 'HKLM\System\CurrentControlSet\Services\VxD' 'HKLM\System\CurrentControlSet\Services' \
           'HKLM\System\CurrentControlSet' 'HKLM\System' 'HKCU\Software\Policies'; do
  grep -qixF "HKEY_LOCAL_MACHINE${key#HKLM}" <<<"$registry_before" ||
    grep -qixF "HKEY_CURRENT_USER${key#HKCU}" <<<"$registry_before" ||
    run reg delete "$key" /f >/dev/null 2>&1
done
expect_eq "restore: the registry as before, the later additions aside" "$registry_before" "$(dump_registry)"

# 4. Apply + restore over every page: the image as before, value for value and file for file
# (system parameters included). An attribute-only change does not write the file again.
ini=$(find_file WINDOWS/system.ini)
while read -r name commands; do
  fresh
  ini=$(find_file WINDOWS/system.ini)
  registry_before=$(dump_registry)
  files_before=$(files_sum "$work/img")
  inode_before=$(stat -c %i "$ini")
  tr ';' '\n' <<<"$commands" >"$work/case.txt"
  out=$(run --backup "$work/bk-$name" -f "$work/case.txt" 2>&1) || fail "$name: backed-up run: $out"
  out=$(run restore "$work/bk-$name" 2>&1) || fail "$name: restore: $out"
  expect_eq "$name: the registry as before" "$registry_before" "$(dump_registry)"
  expect_eq "$name: the files as before" "$files_before" "$(files_sum "$work/img")"
  [ "$(stat -c %i "$ini")" = "$inode_before" ] || fail "$name: restore wrote system.ini again"
done <<'CASES'
untouched apply
start-menu page 4;check cbStartMenuItem6 off;check cbStartMenuItem1 off;apply
desktop page 5;item clbDesctopSetting 1 off;set seTimeScreenSaverOn 5;check cbScreenSaverActive off;apply
control-panel page 6;click spbtnCplSelect4;check cbAboutSystem2 off;apply
user page 7;type edtCurrentUser Анна;type edtCurrentOrganisation Фирма;check cbErrorFileYes on;apply
service page 9;check cbMsdosSeans off;check cbViewWindowsFiles on;apply
explorer page 10;check cbExplorer3 off;apply
internet page 11;check cbContextMenuIE off;apply
ok-button page 5;check cbScreenSaverActive off;ok
CASES

# 5. The dry run shows a stored system parameter as the value it becomes, beside the call.
fresh
out=$(run --dry-run page 5 check cbScreenSaverActive off apply 2>&1)
expect_has "the stored value in the patch" '"ScreenSaveActive"="0"' "$out"
expect_has "the call by name beside it" \
  'SystemParametersInfo 17 SPI_SETSCREENSAVEACTIVE 0 flags 1: HKEY_CURRENT_USER\Control Panel\Desktop "ScreenSaveActive"="0"' "$out"

finish "restore"
