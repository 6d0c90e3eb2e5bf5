#!/usr/bin/env bash
# volnrx-cli.exe reg on the live (Wine) system: the .reg syntax the registry editor accepts and
# what it refuses, the header, the Windows 3.1 form, reg copy, reg add's data forms, a query of a
# missing default value, and /reg:32 and /reg:64 (one view in Windows 98 mode; the two views of
# a 64-bit system in NT mode), each read back with Wine's own reg.
#   tests/wine/reg-syntax-live-test.sh [WINDOWS_BUILD_DIR]
set -uo pipefail
source "$(dirname "$0")/own-prefix-lib.sh"
source "$(dirname "$0")/reg-check-lib.sh"
source "$(dirname "$0")/live-cli-lib.sh"
install_program "${1:-}"
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
key='HKCU\Software\Волнерикс\Синтаксис'
file='HKEY_CURRENT_USER\Software\Волнерикс\Синтаксис'
# value NAME: the data line of NAME, or "(none)"
value() { wine_reg query "$key" /v "$1" | grep -F "    $1    " || echo "(none)"; }

# 1. .reg lines: the body after the key line, the exit status, and the value "v" afterwards.
cases=(
  '"v"=hex(0):56,61,6c,75,65,\|0|    v    REG_NONE    56616C7565'
  '"v"=hex:01,\\\r\n;comment\r\n\r\n  \t \r\n  02\r\n|0|    v    REG_BINARY    0102'
  '"v"=dword:  00000008\r\n|0|    v    REG_DWORD    0x8'
  '"v" = DWORD:0000000a\r\n|0|    v    REG_DWORD    0xa'
  '"v"=HEX:01,02\r\n|0|    v    REG_BINARY    0102'
  '"v"="a\\0b"\r\n|1|(none)'
  '"v"=hex:01,02\\\r\n  03\r\n|1|(none)'
  '"v"=hex:01,\\\r\n\\\r\n  02\r\n|1|(none)'
  '"v"=hex:01,\\\r\n;comment\r\n"w"="x"\r\n|1|(none)'
  '"v"=hex:01,\\\r\n\r\n"w"="x"\r\n|1|(none)'
)
for item in "${cases[@]}"; do
  IFS='|' read -r body status expected <<<"$item"
  wine reg delete "$key" /f >/dev/null 2>&1 </dev/null
  printf "REGEDIT4\r\n\r\n[%s]\r\n$body" "$file" | iconv -f UTF-8 -t CP1251 >"$WINEPREFIX/drive_c/syntax.reg"
  out=$(cli reg import 'C:\syntax.reg'); rc=$?
  check_same "import of $body: exit status" "$status" "$rc"
  check_same "import of $body: the value" "$expected" "$(value v)"
  [ "$status" = 0 ] || grep -q 'line 4' <<<"$out" || fail "the refusal of $body names no line 4: $out"
done

# 2. Headers: a blank line before REGEDIT4 is refused; the Windows 3.1 form sets default values
#    of HKEY_CLASSES_ROOT keys.
printf '\r\nREGEDIT4\r\n\r\n[%s]\r\n"v"="x"\r\n' "$file" | iconv -f UTF-8 -t CP1251 >"$WINEPREFIX/drive_c/blank.reg"
cli reg import 'C:\blank.reg' >/dev/null; rc=$?
check_same "a blank line before REGEDIT4: exit status" 1 "$rc"
printf 'REGEDIT\r\nHKEY_CLASSES_ROOT\\.vlxtest = vlxfile\r\nHKEY_CLASSES_ROOT\\vlxfile\\shell\\open\\command = notepad.exe %%1\r\n' \
  >"$WINEPREFIX/drive_c/win31.reg"
cli reg import 'C:\win31.reg' >/dev/null; rc=$?
check_same "the Windows 3.1 form: exit status" 0 "$rc"
check_same "the Windows 3.1 form: its default values" \
  "$(printf '    (Default)    REG_SZ    vlxfile\n    (Default)    REG_SZ    notepad.exe %%1')" \
  "$({ wine_reg query 'HKCR\.vlxtest' /ve; wine_reg query 'HKCR\vlxfile\shell\open\command' /ve; } | grep -F '(Default)')"

# 3. reg copy: the tree with /s, refused without /f where a value would be replaced.
wine reg add "$key\\Откуда\\Вложенный" /v n /t REG_DWORD /d 7 /f >/dev/null 2>&1 </dev/null
wine reg add "$key\\Откуда" /v Имя /d текст /f >/dev/null 2>&1 </dev/null
cli reg copy "$key\\Откуда" "$key\\Куда" /s >/dev/null; rc=$?
check_same "reg copy /s: exit status" 0 "$rc"
check_same "reg copy /s: the tree" "$(wine_reg query "$key\\Откуда" /s | sed 's/\\Откуда/\\Куда/')" \
  "$(wine_reg query "$key\\Куда" /s)" '    n    REG_DWORD    0x7'
out=$(cli reg copy "$key\\Откуда" "$key\\Куда"); rc=$?
check_same "reg copy over existing values without /f: exit status" 1 "$rc"
grep -q '/f' <<<"$out" || fail "the refusal does not name /f: $out"

# 4. reg add's data forms, read back by Wine's reg.
cli reg add "$key" /v be /t REG_DWORD_BIG_ENDIAN /d 0x456 /f >/dev/null
cli reg add "$key" /v q /t REG_QWORD /d -1 /f >/dev/null
wine reg export "$key" 'C:\be.reg' /y >/dev/null 2>&1 </dev/null
exported=$(iconv -f UTF-16 -t UTF-8 "$WINEPREFIX/drive_c/be.reg" | tr -d '\r')
check_same "REG_DWORD_BIG_ENDIAN is stored big-endian" '"be"=hex(5):00,00,04,56' \
  "$(grep -F '"be"=' <<<"$exported")"
check_same "... and shown as the number" "    be    REG_DWORD_BIG_ENDIAN    0x456" \
  "$(cli reg query "$key" /v be | grep -F '    be    ')"
check_same "REG_QWORD -1" '"q"=hex(b):ff,ff,ff,ff,ff,ff,ff,ff' "$(grep -F '"q"=' <<<"$exported")"
cli reg add "$key" /v m /t REG_MULTI_SZ /s '#' /d 'a#b#' /f >/dev/null
check_same "REG_MULTI_SZ with a separator" '    m    REG_MULTI_SZ    a\0b' "$(value m)"

# 5. A key without a default value: /ve shows it not set, exit 0.
out=$(cli reg query "$key" /ve); rc=$?
check_same "query /ve of a missing default: exit status" 0 "$rc"
check_same "query /ve of a missing default" \
  "$(printf '\nHKEY_CURRENT_USER\\Software\\Волнерикс\\Синтаксис\n    (Default)    REG_SZ    (value not set)\n')" "$out"

# 6. Views. Windows 98 has one: the switch is taken and said once to change nothing.
out=$(cli reg add 'HKLM\Software\VlxView' /v v /d one /f /reg:64); rc=$?
check_same "/reg:64 on Windows 98: exit status" 0 "$rc"
check_same "/reg:64 on Windows 98 says there is one view" 1 "$(grep -c 'one view' <<<"$out")"
check_same "/reg:64 on Windows 98 writes the one registry" "    v    REG_SZ    one" \
  "$(wine_reg query 'HKLM\Software\VlxView' /v v | grep -F '    v    ')"
# NT mode, a 64-bit system: /reg:32 is the Wow6432Node side, /reg:64 the native one.
set_windows_version nt
wine reg delete 'HKLM\Software\VlxView' /f >/dev/null 2>&1 </dev/null
cli reg add 'HKLM\Software\VlxView' /v v /d 32 /f /reg:32 >/dev/null; rc=$?
check_same "/reg:32 on NT: exit status" 0 "$rc"
check_same "/reg:32 writes the 32-bit view" "    v    REG_SZ    32" \
  "$(wine_reg query 'HKLM\Software\Wow6432Node\VlxView' /v v | grep -F '    v    ')"
check_same "/reg:32 leaves the 64-bit view" "" \
  "$(wine_reg query 'HKLM\Software\VlxView' /v v | grep -F '    v    ')"
cli reg add 'HKLM\Software\VlxView' /v v /d 64 /f /reg:64 >/dev/null
check_same "/reg:64 writes the 64-bit view" "    v    REG_SZ    64" \
  "$(wine_reg query 'HKLM\Software\VlxView' /v v | grep -F '    v    ')"
check_same "/reg:32 reads the 32-bit view back" "    v    REG_SZ    32" \
  "$(cli reg query 'HKLM\Software\VlxView' /v v /reg:32 | grep -F '    v    ')"

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
