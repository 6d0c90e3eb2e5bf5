#!/usr/bin/env bash
# volnrx-cli.exe on the live (Wine) system in Windows 98 mode: a script that unchecks the Run
# item and applies, read back with `wine reg query`; the same with --dry-run writes nothing;
# --backup then restore brings the value back; reg export and import round trip; and with the
# program's window open (when an X server is there) the CLI refuses to write.
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

# 4. While the program's window runs, the CLI writes nothing.
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
  wine taskkill /im volnrx.exe /f >/dev/null 2>&1 </dev/null || kill "$gui" 2>/dev/null
  wait "$gui" 2>/dev/null
else
  echo "skip the open-window checks: no X server"
fi

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
