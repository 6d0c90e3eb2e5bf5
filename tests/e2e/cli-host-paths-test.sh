#!/usr/bin/env bash
# Host paths with Cyrillic letters and blanks keep their UTF-8 names from the argument to the
# file: the image itself, reg export and import files, the -f script, the --backup folder and
# restore's folder; the names inside the machine go to code page 1251.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
image="$work/Мой образ"
[ "$machine" = disk ] && image="$work/Мой образ.img"
# shellcheck disable=SC2086
out=$("$cli" init $init_option "$image" 2>&1) || fail "init '$image': $out"
[ -e "$image" ] || fail "init made no '$image': $(ls "$work")"
in_image() { "$cli" "$image_option" "$image" "$@"; }

key='HKCU\Software\Волнерикс'
value='    Имя    REG_SZ    Значение'
out=$(in_image reg add "$key" /v Имя /d Значение /f 2>&1); rc=$?
expect_eq "reg add: exit status" 0 "$rc"
expect_has "reg add, then reg query" "$value" "$(in_image reg query "$key" /v Имя 2>&1)"

out=$(cd "$work" && in_image reg export "$key" экспорт.reg 2>&1); rc=$?
expect_eq "reg export: exit status" 0 "$rc"
[ -f "$work/экспорт.reg" ] || fail "reg export wrote no 'экспорт.reg': $(ls "$work")"
expect_has "the export holds the name in code page 1251" '"Имя"="Значение"' \
  "$(iconv -f CP1251 -t UTF-8 "$work/экспорт.reg" 2>&1)"

mv "$work/экспорт.reg" "$work/импорт файл.reg"
in_image reg delete "$key" /f >/dev/null 2>&1
out=$(in_image reg import "$work/импорт файл.reg" 2>&1); rc=$?
expect_eq "reg import: exit status" 0 "$rc"
expect_has "reg import brings the value back" "$value" "$(in_image reg query "$key" /v Имя 2>&1)"
out=$(in_image reg import "$work/нет такого.reg" 2>&1)
expect_has "a missing file is named as given" "ERROR: Cannot read $work/нет такого.reg." "$out"

printf 'page 4\ncheck cbStartMenuItem6 off\napply\n' >"$work/скрипт.txt"
out=$(in_image --backup "$work/резерв" -f "$work/скрипт.txt" 2>&1); rc=$?
expect_eq "backed-up script: exit status" 0 "$rc"
[ -f "$work/резерв/undo.reg" ] || fail "no undo.reg in 'резерв': $(ls "$work") $out"
policies='HKLM\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer'
expect_has "the script ran" "NoRun    REG_BINARY    01000000" "$(in_image reg query "$policies" /v NoRun 2>&1)"
out=$(in_image restore "$work/резерв" 2>&1); rc=$?
expect_eq "restore: exit status" 0 "$rc"
expect_has "restore names its folder" "restored from $work/резерв" "$out"
expect_not "restore takes NoRun back" "01000000" "$(in_image reg query "$policies" /v NoRun 2>&1)"
printf 'garbage\r\n' >"$work/резерв/undo.reg"
out=$(in_image restore "$work/резерв" 2>&1); rc=$?
expect_eq "garbage undo.reg: exit status" 1 "$rc"
expect_has "garbage undo.reg: refused by its folder's check" "volnrx-cli: the backup's undo.reg is damaged" "$out"
finish "Cyrillic host paths"
