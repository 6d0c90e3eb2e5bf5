#!/usr/bin/env bash
# REGEDIT4 files both ways with Wine's regedit: a key tree volnrx-cli exports (every type,
# Cyrillic names, a long binary value wrapped over lines) is imported by `wine regedit /s` and
# reads back equal; the UTF-16 file `wine regedit /e` writes imports into a fresh image and reads
# back equal; key and value deletions of a REGEDIT4 file act the same in both.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/own-prefix-lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/reg-check-lib.sh"
native=$(cd "${VLX_NATIVE_BUILD:-$root/build/native}" && pwd)
cli=$native/volnrx-cli
ours() { "$cli" --prefix "$WINEPREFIX" reg "$@"; }
theirs() { wine_reg "$@"; }
long=$(printf '%02X' $(seq 0 199))

own_prefix
key='HKCU\Software\Волнерикс\Экспорт'
theirs add "$key" /v "Длинное" /t REG_BINARY /d "$long" /f >/dev/null
add_all theirs "$key"
stop_wine

# 1. Exported by volnrx-cli, imported by Wine's regedit.
expected=$(ours query "$key" /s)
ours export "$key" "$work/ours.reg" >/dev/null
head -c 8 "$work/ours.reg" | grep -qx REGEDIT4 || { echo "FAIL no REGEDIT4 header"; failures=$((failures + 1)); }
if awk 'length($0) > 81' "$work/ours.reg" | grep -q .; then
  echo "FAIL exported lines longer than regedit writes"; failures=$((failures + 1))
fi
theirs delete "$key" /f >/dev/null
wine regedit /s "$work/ours.reg" </dev/null >/dev/null 2>&1
check_same "Wine's regedit imports what volnrx-cli exported" "$expected" "$(theirs query "$key" /s)" \
  "    Длинное    REG_BINARY    $long"

# 2. Exported by Wine's regedit (UTF-16), imported into a fresh image.
wine regedit /e "$work/wine.reg" "HKEY_CURRENT_USER\\Software\\Волнерикс\\Экспорт" </dev/null >/dev/null 2>&1
expected=$(theirs query "$key" /s)
stop_wine
"$cli" init "$work/image" >/dev/null
"$cli" --prefix "$work/image" reg import "$work/wine.reg" >/dev/null
check_same "an image imports what Wine's regedit exported" "$expected" \
  "$("$cli" --prefix "$work/image" reg query "$key" /s)" '    Список    REG_MULTI_SZ    один\0два\0три'

# 3. Deletions: a key tree and a value, through either regedit.
printf 'REGEDIT4\r\n\r\n[-%s\\Вложенный ключ]\r\n\r\n[%s]\r\n"Ноль"=-\r\n"Новое"="да"\r\n\r\n' \
  'HKEY_CURRENT_USER\Software\Волнерикс\Экспорт' 'HKEY_CURRENT_USER\Software\Волнерикс\Экспорт' |
  iconv -f UTF-8 -t CP1251 >"$work/delete.reg"
"$cli" --prefix "$work/image" reg import "$work/delete.reg" >/dev/null
wine regedit /s "$work/delete.reg" </dev/null >/dev/null 2>&1
expected=$(theirs query "$key" /s)
stop_wine
check_same "deletions act the same in Wine and in an image" "$expected" \
  "$("$cli" --prefix "$work/image" reg query "$key" /s)" '    Новое    REG_SZ    да'
if grep -q 'Ноль\|Вложенный' <<<"$expected"; then
  echo "FAIL the deleted value or key is still there"; failures=$((failures + 1))
fi

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
