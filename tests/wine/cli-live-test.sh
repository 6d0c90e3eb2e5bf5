#!/usr/bin/env bash
# volnrx-cli.exe on the live (Wine) system in Windows 98 mode: a script that unchecks the Run
# item and applies, read back with `wine reg query`; the same with --dry-run writes nothing;
# --backup then restore brings the value back; reg export and import round trip; its usage and
# usage errors; scripts in UTF-8 with a byte-order mark and in code page 1251 alike; and with the
# program's window open (when an X server is there) the CLI reads but refuses to write, and the
# window started while the CLI writes says why it does not start.
#   tests/wine/cli-live-test.sh [WINDOWS_BUILD_DIR]
set -uo pipefail
source "$(dirname "$0")/own-prefix-lib.sh"
source "$(dirname "$0")/reg-check-lib.sh"
source "$(dirname "$0")/live-cli-lib.sh"
install_program "${1:-}"
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
expect_has() {  # WHAT LINE TEXT
  if grep -qF -- "$2" <<<"$3"; then echo "ok   $1"; else fail "$1: no line '$2'"; printf '%s\n' "$3" | head -20; fi
}
policies='HKLM\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer'
norun() { wine_reg query "$policies" /v NoRun | grep -F NoRun || echo "(no NoRun)"; }
printf 'page 4\r\ncheck cbStartMenuItem6 off\r\napply\r\n' >"$WINEPREFIX/drive_c/norun.txt"
wine reg delete "$policies" /v NoRun /f >/dev/null 2>&1 </dev/null
before=$(wine_reg query "$policies" /s)

# 1. A dry run prints the change and writes nothing.
out=$(cli --dry-run -f 'C:\norun.txt'); rc=$?
check_same "dry run: exit status" 0 "$rc"
expect_has "dry run prints the NoRun change" '"NoRun"=hex:01,00,00,00' "$out"
check_same "dry run writes nothing" "(no NoRun)" "$(norun)"
check_same "dry run: the key as before" "$before" "$(wine_reg query "$policies" /s)"

# 2. Backed up, applied, read back with wine reg; restored: the earlier value comes back.
wine reg add "$policies" /v NoRun /t REG_BINARY /d 00000000 /f >/dev/null 2>&1 </dev/null
before=$(wine_reg query "$policies" /s)
out=$(cli --backup 'C:\vlxbackup' -f 'C:\norun.txt'); rc=$?
check_same "backed-up apply: exit status" 0 "$rc"
check_same "the apply wrote NoRun" "    NoRun    REG_BINARY    01000000" "$(norun)"
[ -f "$WINEPREFIX/drive_c/vlxbackup/undo.reg" ] || fail "no undo.reg in the backup"
out=$(cli restore 'C:\vlxbackup'); rc=$?
check_same "restore: exit status" 0 "$rc"
check_same "restore brings the value back" "    NoRun    REG_BINARY    00000000" "$(norun)"
check_same "restore: the key as before" "$before" "$(wine_reg query "$policies" /s)"

# 2b. An apply whose system-parameter calls write the registry, backed up and restored: the
# screen saver's values (set through SystemParametersInfo with "update ini") and every other key
# of HKCU and HKLM\Software read as before.
desktop='HKCU\Control Panel\Desktop'
wine reg add "$desktop" /v ScreenSaveActive /d 1 /f >/dev/null 2>&1 </dev/null
wine reg add "$desktop" /v ScreenSaveTimeOut /d 120 /f >/dev/null 2>&1 </dev/null
# Wine fills some keys the first time a program asks (its network cards): a reading run first,
# and those keys left out.
registry() {
  { wine_reg query HKCU /s; wine_reg query 'HKLM\Software' /s; } |
    awk 'BEGIN { RS = ""; ORS = "\n\n" } !/^[^\n]*\\NetworkCards(\\|\n|$)/'
}
cli show >/dev/null
before=$(registry)
printf 'page 5\r\ncheck cbScreenSaverActive off\r\napply\r\n' >"$WINEPREFIX/drive_c/saver.txt"
out=$(cli --backup 'C:\vlxsaver' -f 'C:\saver.txt'); rc=$?
check_same "screen saver off, backed up: exit status" 0 "$rc"
check_same "the apply turned the screen saver off" "    ScreenSaveActive    REG_SZ    0" \
  "$(wine_reg query "$desktop" /v ScreenSaveActive | grep -F ScreenSaveActive)"
grep -qF '"ScreenSaveActive"="1"' "$WINEPREFIX/drive_c/vlxsaver/undo.reg" ||
  fail "the undo lacks ScreenSaveActive"
out=$(cli restore 'C:\vlxsaver'); rc=$?
check_same "screen saver restore: exit status" 0 "$rc"
check_same "apply + restore: the registry as before" "$before" "$(registry)"

# 3. reg export from the live registry, imported back after the key is gone.
key='HKCU\Software\Волнерикс\Живой'
add_all wine_reg "$key"
expected=$(wine_reg query "$key" /s)
cli reg export "$key" 'C:\live.reg' >/dev/null
wine reg delete "$key" /f >/dev/null 2>&1 </dev/null
out=$(cli reg import 'C:\live.reg'); rc=$?
check_same "reg import: exit status" 0 "$rc"
check_same "export then import on the live system" "$expected" "$(wine_reg query "$key" /s)" \
  '    Список    REG_MULTI_SZ    один\0два\0три'

# 4. Usage: the Windows program's own; reg's usage; every usage error ends with 2.
out=$(cli --help); rc=$?
check_same "--help: exit status" 0 "$rc"
expect_has "--help describes volnrx-cli.exe" "usage: volnrx-cli.exe --help" "$out"
for word in --prefix init --win9x wineserver "exit 3" "waits up to"; do
  grep -qF -- "$word" <<<"$out" && fail "--help of volnrx-cli.exe mentions '$word'"
done
out=$(cli reg add /?); rc=$?
check_same "reg add /?: exit status" 0 "$rc"
expect_has "reg add /? prints its usage" "REG ADD KEY [/v NAME | /ve]" "$out"
out=$(cli reg /?); rc=$?
check_same "reg /?: exit status" 0 "$rc"
expect_has "reg /? prints the operations" "OPERATION  QUERY | ADD | DELETE" "$out"
while IFS='|' read -r args expected; do
  # shellcheck disable=SC2086
  out=$(cli $args); rc=$?
  check_same "$args: exit status" 2 "$rc"
  expect_has "$args: the reason" "$expected" "$out"
done <<'EOF2'
reg|ERROR: Invalid syntax.
reg add|ERROR: Invalid syntax.
reg add HKXX\A /f|ERROR: Invalid key name.
reg import|ERROR: Invalid syntax.
frobnicate|unknown command 'frobnicate'
--prefix C:\ show|no --prefix
init C:\img|usage: volnrx-cli.exe
--program-dir|--program-dir needs a folder
show --backup|--backup needs a folder
page|'page' needs 1 argument(s)
EOF2

# 5. A run whose program ends at its start (its libraries missing) stops there with an error;
# the message box's lines are printed as lines.
out=$(cli --program-dir 'C:\windows' show); rc=$?
check_same "libraries missing: exit status" 1 "$rc"
expect_has "libraries missing: the box, line by line" "Работа программы будет прервана без согласия пользователя." "$out"
grep -qF '\r' <<<"$out" && fail "a message box printed with a literal \\r"
grep -qF '== ' <<<"$out" && fail "libraries missing: the pages were shown all the same"

# 6. A failing dry run reports the failure only; --backup into an existing folder is refused
# before anything runs.
out=$(cli --dry-run reg delete 'HKCU\Software\Нет такого' /f); rc=$?
check_same "failing dry run: exit status" 1 "$rc"
grep -qF "dry run:" <<<"$out" && fail "a failing dry run printed a report: $out"
out=$(cli reg add 'HKCU\Software\Волнерикс' /v Резерв /d 1 /f --backup 'C:\vlxbackup'); rc=$?
check_same "backup folder exists: exit status" 1 "$rc"
expect_has "backup folder exists: said first" "the backup folder C:\vlxbackup exists already" "$out"
grep -qF "completed successfully" <<<"$out" && fail "backup folder exists: a success line: $out"
check_same "backup folder exists: nothing added" "" \
  "$(wine_reg query 'HKCU\Software\Волнерикс' /v Резерв | grep -F Резерв)"

# 7. Scripts: UTF-8 with a byte-order mark and code page 1251 give the same text; quotes around a
# text argument are dropped.
owner() { wine_reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v RegisteredOwner | grep -F RegisteredOwner; }
script='page 7\r\ntype edtCurrentUser "ООО ""Ромашка"" Ёж"\r\napply\r\n'
printf '\xef\xbb\xbf'"$script" >"$WINEPREFIX/drive_c/utf8.txt"
printf "$script" | iconv -f UTF-8 -t CP1251 >"$WINEPREFIX/drive_c/ansi.txt"
for name in utf8 ansi; do
  wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v RegisteredOwner /d x /f >/dev/null 2>&1 </dev/null
  out=$(cli -f "C:\\$name.txt"); rc=$?
  check_same "$name script: exit status" 0 "$rc"
  check_same "$name script: the owner as typed" '    RegisteredOwner    REG_SZ    ООО "Ромашка" Ёж' "$(owner)"
done

# 8. While the program's window runs, the CLI reads but writes nothing.
if [ -n "${DISPLAY:-}" ]; then
  (cd "$folder" && timeout 120 wine volnrx.exe </dev/null >/dev/null 2>&1) &
  gui=$!
  refused=""
  for _ in $(seq 60); do
    out=$(cli reg add 'HKCU\Software\Волнерикс' /v Проба /d 1 /f); rc=$?
    if [ "$rc" = 1 ]; then refused=$out; break; fi
    sleep 0.5
  done
  expect_has "with the window open, reg add refuses" "nothing was changed" "$refused"
  out=$(cli -f 'C:\norun.txt'); rc=$?
  check_same "with the window open, a script refuses: exit status" 1 "$rc"
  check_same "... and writes nothing" "    NoRun    REG_BINARY    00000000" "$(norun)"
  out=$(cli --dry-run -f 'C:\norun.txt'); rc=$?
  check_same "with the window open, a dry run refuses: exit status" 1 "$rc"
  grep -qF "dry run:" <<<"$out" && fail "with the window open, a refused dry run printed a report"
  while IFS='|' read -r args expected; do
    # shellcheck disable=SC2086
    out=$(cli $args); rc=$?
    check_same "with the window open, $args: exit status" 0 "$rc"
    expect_has "with the window open, $args reads" "$expected" "$out"
  done <<'EOF2'
show|== Установка/Удаление ==
dump btnSave|btnSave.enabled=
page 4 dump cbStartMenuItem6|cbStartMenuItem6.checked=
EOF2
  wine taskkill /im volnrx.exe /f >/dev/null 2>&1 </dev/null || kill "$gui" 2>/dev/null
  wait "$gui" 2>/dev/null

  # 9. The window started while a changing run holds the system says why it does not start: a
  # reg import that waits for its file on a pipe holds it as long as the test likes.
  probe="$build/tests/gui_probe.exe"
  if [ -f "$probe" ]; then
    rm -f "$WINEPREFIX/drive_c/pipe.reg"
    mkfifo "$WINEPREFIX/drive_c/pipe.reg"
    (cli reg import 'C:\pipe.reg' >"$WINEPREFIX/import.out"; echo "$?" >"$WINEPREFIX/import.rc") &
    importer=$!
    exec 8<>"$WINEPREFIX/drive_c/pipe.reg"  # held open: the importer waits in its read
    sleep 2
    (cd "$folder" && timeout 120 wine volnrx.exe </dev/null >/dev/null 2>&1) &
    gui=$!
    box=""
    for _ in $(seq 60); do
      box=$(timeout 30 wine "$probe" msgbox 2>/dev/null | tr -d '\r')
      [ -n "$box" ] && break
      sleep 0.5
    done
    expect_has "the window started during a writing run says why" \
      'Volnerix | Программа "Volnerix" уже запущена: volnrx-cli изменяет настройки системы.' "$box"
    timeout 30 wine "$probe" press-ok >/dev/null 2>&1
    for _ in $(seq 60); do kill -0 "$gui" 2>/dev/null || break; sleep 0.5; done
    kill -0 "$gui" 2>/dev/null && { fail "the window started during a writing run did not end"; kill "$gui"; }
    wait "$gui" 2>/dev/null
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Волнерикс]\r\n"Труба"="1"\r\n' |
      iconv -f UTF-8 -t CP1251 >&8
    exec 8>&-
    wait "$importer"
    check_same "the import then ends: exit status" 0 "$(cat "$WINEPREFIX/import.rc")"
  else
    echo "skip the window-during-a-writing-run check: no $probe"
  fi
else
  echo "skip the open-window checks: no X server"
fi

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
