#!/usr/bin/env bash
# --dry-run, --backup DIR and restore DIR on fresh images: a dry run prints the REGEDIT4 patch,
# the file changes with their diffs and the journal, and leaves every byte, mode and attribute
# of the image as it was; a backup taken before a script that touches every settings page puts
# the registry and the files back; a restore refuses, changing nothing, once a file changed.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
# In a disk image the image's bytes change on every run (the volume is written back), and the
# plain copy below would need a second image: the copied 9x drive covers the same paths.
[ "$machine" = disk ] && exit 77

# The whole image (lib.sh's tree_sum).
image_sum() { tree_sum "$work/img"; }
dump_registry() { run reg query HKLM /s; run reg query HKCU /s; }
cat > "$work/norun.txt" <<'SCRIPT'
page 4
check cbStartMenuItem6 off
apply
SCRIPT
cat > "$work/pages.txt" <<'SCRIPT'
page 4
check cbStartMenuItem6 off
page 5
item clbDesctopSetting 1 off
page 6
click spbtnCplSelect4
check cbAboutSystem2 off
page 7
type edtCurrentUser Анна
check cbErrorFileYes on
page 9
check cbMsdosSeans off
check cbViewWindowsFiles on
page 10
check cbExplorer3 off
page 11
check cbContextMenuIE off
apply
SCRIPT

# 1. A dry run changes nothing and says what it would change.
fresh
before=$(image_sum)
out=$(run --dry-run -f "$work/norun.txt" 2>&1); rc=$?
[ "$rc" = 0 ] || fail "dry run exit status $rc"
expect_eq "a dry run leaves the image byte-identical" "$before" "$(image_sum)"
expect_has "patch header" "== registry (REGEDIT4) ==" "$out"
expect_has "the NoRun key" '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Policies\explorer]' "$out"
expect_has "the NoRun value" '"NoRun"=hex:01,00,00,00' "$out"
expect_has "the settings broadcast, not sent" "SendMessage HWND_BROADCAST 0x1a 0x0 0x0" "$out"
expect_not "no journal line as it happens" "journal: " "$out"
run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Policies\explorer' /v NoRun >/dev/null 2>&1 &&
  fail "the dry run wrote NoRun"

out=$(run --dry-run -f "$work/pages.txt" 2>&1); rc=$?
[ "$rc" = 0 ] || fail "dry run of every page exit status $rc"
expect_eq "a dry run of every page leaves the image byte-identical" "$before" "$(image_sum)"
expect_has "a new file's diff" '+++ C:\WINDOWS\desktop.ini' "$out"
expect_has "... its lines" '+ConfirmFileOp=0' "$out"
expect_has "attribute changes" 'attributes C:\WINDOWS\desktop.ini ---A -> -H-A' "$out"
expect_has "the owner" '"RegisteredOwner"="Анна"' "$out"

out=$(run reg add 'HKCU\Software\Проба' /v x /d y /f --dry-run 2>&1)
expect_has "a dry run of reg add" '"x"="y"' "$out"
expect_eq "... changes nothing" "$before" "$(image_sum)"

# 2. Backup, every page, restore: registry and files as before. The backed-up run changes what
# a plain run changes (a copy of the image gets the plain run).
registry_before=$(dump_registry)
files_before=$(files_sum "$work/img")
cp -a "$work/img" "$work/plain"
"$cli" "$image_option" "$work/plain" -f "$work/pages.txt" >/dev/null 2>&1 || fail "plain run failed"
out=$(run --backup "$work/backup" -f "$work/pages.txt" 2>&1); rc=$?
[ "$rc" = 0 ] || fail "backed-up run exit status $rc"
# Lines sorted: a 9x hive lists values in creation order, and the backed-up run creates them in
# its own order when it carries its changes over.
expect_eq "a backed-up run writes the registry a plain run writes" \
  "$({ "$cli" "$image_option" "$work/plain" reg query HKLM /s; "$cli" "$image_option" "$work/plain" reg query HKCU /s; } | sort)" \
  "$(dump_registry | sort)"
expect_eq "... and the files and their attributes" "$(files_sum "$work/plain${drive#"$work/img"}")" \
  "$(files_sum "$drive")"
expect_has "the run's journal" "journal: SendMessage HWND_BROADCAST WM_WININICHANGE 0 0" "$out"
expect_has "the run wrote" "RegisteredOwner    REG_SZ    Анна" \
  "$(run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v RegisteredOwner)"
head -c 8 "$work/backup/undo.reg" | grep -qx REGEDIT4 || fail "undo.reg is no REGEDIT4 file"
grep -q '"[^"]*"=-' "$work/backup/undo.reg" && fail "undo.reg deletes a value (Windows 98 cannot)"
out=$(run page 4 check cbStartMenuItem6 off apply --backup "$work/backup" 2>&1) &&
  fail "a backup into an existing folder ran"
expect_has "... refused" "must not exist yet" "$out"

batch=$(find_file autoexec.bat)
cp -p "$batch" "$work/batch"
chmod u+w "$batch"; echo 'REM changed' >>"$batch"
out=$(run restore "$work/backup" 2>&1) && fail "restore over a changed file succeeded"
expect_has "restore names the changed file" 'C:\Autoexec.bat changed since the backup' "$out"
expect_has "... and the owner is still the run's" "RegisteredOwner    REG_SZ    Анна" \
  "$(run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v RegisteredOwner)"
cp -p "$work/batch" "$batch"

out=$(run restore "$work/backup" 2>&1); rc=$?
[ "$rc" = 0 ] || fail "restore exit status $rc: $out"
expect_eq "restore: the registry as before" "$registry_before" "$(dump_registry)"
expect_eq "restore: the files as before" "$files_before" "$(files_sum "$work/img")"

# 3. A backed-up reg import that deletes a tree, creates keys and values (a name with a tab in it)
# and changes one: restore puts every key and value back.
run reg add 'HKCU\Software\Старое\Ветка' /v v /d old /f >/dev/null
registry_before=$(dump_registry)
printf 'REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Старое]\r\n\r\n[HKEY_CURRENT_USER\\Software\\Новое\\Ключ]\r\n"x"="y"\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"MenuShowDelay"="1"\r\n"a\tb"="x"\r\n"Новое"=dword:00000002\r\n\r\n' |
  iconv -f UTF-8 -t CP1251 >"$work/change.reg"
out=$(run --backup "$work/backup2" reg import "$work/change.reg" 2>&1); rc=$?
[ "$rc" = 0 ] || fail "backed-up import exit status $rc: $out"
grep -qF "$(printf 'value\tHKEY_CURRENT_USER\\Control Panel\\Desktop\ta%%09b')" "$work/backup2/manifest.txt" ||
  fail "the manifest does not list the new value with the tab in its name"
run reg query 'HKCU\Software\Старое' >/dev/null 2>&1 && fail "the import did not delete the tree"
out=$(run restore "$work/backup2" 2>&1); rc=$?
[ "$rc" = 0 ] || fail "restore of the import exit status $rc: $out"
expect_eq "restore after an import: the registry as before" "$registry_before" "$(dump_registry)"

finish "dry run, backup and restore"
