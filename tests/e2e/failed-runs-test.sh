#!/usr/bin/env bash
# Runs that cannot do what they were asked: each says why, exits non-zero, prints no success
# line, and leaves the image as it was; the dry run of a failing import fails the same way. And
# the roots of a whole-registry export from Windows 98 that import here.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
success='The operation completed successfully.'
# Every byte of the image: the disk image itself, or the folder.
image_sum() {
  if [ "$machine" = disk ]; then md5sum <"$work/disk.img"
  else (cd "$work/img" && find . -type f ! -name '*.lock' -exec md5sum {} + | sort); fi
}
# The hive files only (a program run on a 9x drive also puts back file attributes it reads).
hives_sum() {
  (cd "$work/img" && find . -maxdepth 2 -type f \( -iname '*.reg' -o -iname '*.dat' \) \
     -exec md5sum {} + | sort)
}
nine=; [ "$machine" = prefix ] || nine=1
# hex DATA of N zero bytes for a .reg value line.
zeros() { printf '%*s' "$1" '' | sed 's/ /00,/g; s/,$//'; }

# 1. Imports that fail somewhere in the file: nothing of it is written, and the dry run fails
#    with the same message. Table: name | file body | expected message | only on 9x hives.
big_value="\"big\"=hex:$(zeros 16301)"
big_key=""
for n in 1 2 3 4 5; do big_key+="\"v$n\"=hex:$(zeros 16000)"$'\n'; done
cases=(
  "unknown root after a good section|[HKEY_CURRENT_USER\\Software\\First]
\"a\"=\"1\"

[HKEY_CURRENT_CONFIG\\Display]
\"b\"=\"2\"
|HKEY_CURRENT_CONFIG\\Display: this machine has no HKEY_CURRENT_CONFIG and no current hardware profile under HKEY_LOCAL_MACHINE\\Config|"
  "HKEY_USERS after a good section|[HKEY_CURRENT_USER\\Software\\First]
\"a\"=\"1\"

[HKEY_USERS\\.DEFAULT\\Software\\X]
\"b\"=\"2\"
|HKEY_USERS\\.DEFAULT\\Software\\X: this machine has no HKEY_USERS (its only user hive is HKEY_CURRENT_USER)|"
  "a value over 16300 bytes|[HKEY_CURRENT_USER\\Software\\First]
\"a\"=\"1\"

[HKEY_CURRENT_USER\\Software\\Big]
$big_value
|The value 'big' of HKEY_CURRENT_USER\\Software\\Big holds 16301 bytes: a Windows 9x registry value holds at most 16300 bytes of data|9x"
  "a key over 64 KB|[HKEY_LOCAL_MACHINE\\Software\\First]
\"a\"=\"1\"

[HKEY_CURRENT_USER\\Software\\Big]
$big_key
|The key HKEY_CURRENT_USER\\Software\\Big would take 80093 bytes: a Windows 9x registry key holds at most 65503 bytes of names and data|9x"
)
fresh
for entry in "${cases[@]}"; do
  IFS='|' read -r -d '' name body message only <<<"$entry"
  only=${only%$'\n'}
  [ "$only" = 9x ] && [ -z "$nine" ] && continue
  file="$work/import.reg"
  printf 'REGEDIT4\r\n\r\n%s' "${body//$'\n'/$'\r\n'}" >"$file"
  before=$(image_sum)
  out=$(run reg import "$file" 2>"$work/err"); rc=$?
  err=$(<"$work/err")
  expect_eq "$name: exit status" 1 "$rc"
  expect_has "$name: the reason" "ERROR: $file: $message; nothing was imported." "$err"
  expect_not "$name: no success line" "$success" "$out"
  expect_eq "$name: the image is byte for byte as before" "$before" "$(image_sum)"
  out=$(run reg import "$file" --dry-run 2>"$work/err"); rc=$?
  expect_eq "$name: dry run exit status" 1 "$rc"
  expect_eq "$name: dry run, the same message" "$err" "$(<"$work/err")"
done

# 2. The same bounds on reg add (9x hives): the limit and its figure, nothing written.
if [ -n "$nine" ]; then
  before=$(image_sum)
  out=$(run reg add 'HKCU\Software\Big' /v big /t REG_BINARY /d "$(printf '%*s' 32602 '' | tr ' ' 0)" /f 2>&1); rc=$?
  expect_eq "reg add over the value limit: exit status" 1 "$rc"
  expect_has "reg add over the value limit: the figure" "a Windows 9x registry value holds at most 16300 bytes of data" "$out"
  expect_not "reg add over the value limit: no success line" "$success" "$out"
  expect_eq "reg add over the value limit: the image as before" "$before" "$(image_sum)"
fi

# 3. A write that fails when the machine is saved (here: no file may grow past 1 KB) is no
#    success: the line is printed only once the change is on disk.
fresh
writes=("reg add HKCU\\Software\\Saved /v v /d changed /f"
        "reg import $work/saved.reg"
        "reg delete HKCU\\Software\\Saved /f")
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Saved]\r\n"w"="y"\r\n' >"$work/saved.reg"
run reg add 'HKCU\Software\Saved' /v v /d x /f >/dev/null 2>&1
for command in "${writes[@]}"; do
  read -r -a words <<<"$command"
  sync_disk push
  out=$( (trap '' XFSZ; ulimit -f 1; exec "$cli" "$image_option" "$image_path" "${words[@]}") 2>/dev/null); rc=$?
  sync_disk pull
  [ "$rc" != 0 ] || fail "$command with a failing save: exit status 0"
  expect_not "$command with a failing save: no success line" "$success" "$out"
done

# 4. A script line its control cannot take is refused before the first line runs.
scripts=("page 4
check cbStartMenuItem6 off
apply
page 3
check cbBackgraundColor on|line 5: cbBackgraundColor (combo box) cannot take 'check'"
         "page 4
check cbStartMenuItem6 off
apply
select cbRepairSelected 99|line 4: cbRepairSelected (combo box) has no item 99")
for entry in "${scripts[@]}"; do
  fresh
  printf '%s\n' "${entry%%|*}" >"$work/s.txt"
  before=$(hives_sum)
  out=$(run -f "$work/s.txt" 2>&1); rc=$?
  expect_eq "${entry##*|}: exit status" 2 "$rc"
  expect_has "${entry##*|}: the line and why" "volnrx-cli: ${entry##*|}" "$out"
  expect_eq "${entry##*|}: nothing written" "$before" "$(hives_sum)"
done

# 5. A headless run that shows an error box says so on standard error and fails.
if [ -n "$nine" ]; then
  fresh
  user_dat=$(find_file WINDOWS/USER.DAT)
  printf 'XXXX' | dd of="$user_dat" bs=1 seek=32 conv=notrunc 2>/dev/null
  printf 'page 4\ncheck cbStartMenuItem6 off\napply\n' >"$work/s.txt"
  out=$(run -f "$work/s.txt" 2>"$work/err"); rc=$?
  [ "$rc" != 0 ] || fail "a run over a damaged USER.DAT: exit status 0"
  expect_has "the error box on standard error" "damaged registry file" "$(<"$work/err")"
  rm -rf "$work/img" "$work/disk.img"  # not read back through cregexport
  fresh
fi

# 6. Roots of a Windows 98 export: HKEY_DYN_DATA is skipped with one warning, HKEY_CURRENT_CONFIG
#    goes to the current hardware profile where the image has one.
printf 'REGEDIT4\r\n\r\n[HKEY_DYN_DATA\\PerfStats]\r\n\r\n[HKEY_DYN_DATA\\PerfStats\\StatData]\r\n"x"=hex:01\r\n\r\n[HKEY_CURRENT_USER\\Software\\Dyn]\r\n"v"="1"\r\n' >"$work/dyn.reg"
out=$(run reg import "$work/dyn.reg" 2>&1); rc=$?
expect_eq "HKEY_DYN_DATA: exit status" 0 "$rc"
expect_eq "HKEY_DYN_DATA: one warning" 1 "$(grep -c 'HKEY_DYN_DATA is built by Windows at run time: its 2 section(s) were skipped' <<<"$out")"
expect_has "HKEY_DYN_DATA: the rest imported" "    v    REG_SZ    1" "$(run reg query 'HKCU\Software\Dyn')"
run reg add 'HKLM\System\CurrentControlSet\Control\IDConfigDB' /v CurrentConfig /d 0001 /f >/dev/null
run reg add 'HKLM\Config\0001' /f >/dev/null
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_CONFIG\\Display\\Settings]\r\n"Resolution"="800,600"\r\n' >"$work/cc.reg"
out=$(run reg import "$work/cc.reg" 2>&1); rc=$?
expect_eq "HKEY_CURRENT_CONFIG: exit status" 0 "$rc"
expect_has "HKEY_CURRENT_CONFIG: in the current profile" "    Resolution    REG_SZ    800,600" \
  "$(run reg query 'HKLM\Config\0001\Display\Settings')"

# 7. A subkey whose name code page 1251 cannot spell (a Wine prefix keeps any name; the ANSI
#    side sees '?'s it cannot open by): a tree delete is refused whole, query and export say what
#    they could not show, and the export fails.
if [ "$machine" = prefix ]; then
  fresh
  printf '\n[Software\\\\Test\\\\E\\\\\\xd83c\\xdf0d] 1700000000\n"v"="x"\n\n[Software\\\\Test\\\\E\\\\plain] 1700000000\n"v"="x"\n' >>"$work/img/user.reg"
  unreadable='HKEY_CURRENT_USER\Software\Test\E\?? cannot be opened by the name the registry lists'
  before=$(image_sum)
  out=$(run reg delete 'HKCU\Software\Test\E' /f 2>&1); rc=$?
  expect_eq "a tree with an unreadable name: delete exit status" 1 "$rc"
  expect_has "delete: the key named" "ERROR: $unreadable (characters of its name are missing from the code page); nothing was deleted." "$out"
  expect_eq "delete: nothing deleted" "$before" "$(image_sum)"
  out=$(run reg query 'HKCU\Software\Test' /s 2>&1)
  expect_has "query /s: the readable subkey" "HKEY_CURRENT_USER\Software\Test\E\plain" "$out"
  expect_has "query /s: what it could not show" "ERROR: $unreadable" "$out"
  out=$(run reg export 'HKCU\Software\Test' "$work/t.reg" 2>&1); rc=$?
  expect_eq "export of a tree not whole: exit status" 1 "$rc"
  expect_has "export: what it lacks" "ERROR: $unreadable" "$out"
fi

finish "failed runs"
