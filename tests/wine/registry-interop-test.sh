#!/usr/bin/env bash
# Registry interop with Wine: values of every type with Cyrillic key and value names, written by
# volnrx-cli into a prefix's hive files, read back by `wine reg query` exactly; values written by
# `wine reg add` read back exactly by volnrx-cli. The prefix's wineserver is stopped whenever
# volnrx-cli touches its files.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/own-prefix-lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/reg-check-lib.sh"
native=$(cd "${VLX_NATIVE_BUILD:-$root/build/native}" && pwd)
cli=$native/volnrx-cli
own_prefix
stop_wine

ours() { "$cli" --prefix "$WINEPREFIX" reg "$@"; }
theirs() { wine_reg "$@"; }

# 1. Written by volnrx-cli into the stopped prefix, read by Wine.
ours_key='HKCU\Software\Волнерикс\Проверка'
add_all ours "$ours_key"
"$cli" --prefix "$WINEPREFIX" reg add 'HKLM\Software\Classes\.волн' /ve /d "файл" /f >/dev/null
"$cli" --prefix "$WINEPREFIX" reg add 'HKCR\.волн' /v "Вид" /d "текст" /f >/dev/null
expected=$(ours query "$ours_key" /s)
actual=$(theirs query "$ours_key" /s)
check_same "Wine reads what volnrx-cli wrote (every type, Cyrillic names)" "$expected" "$actual" \
  '    Строка    REG_SZ    Привет, мир! ёЁ "кавычки" \обратная\'
check_same "... REG_MULTI_SZ" "$expected" "$actual" '    Список    REG_MULTI_SZ    один\0два\0три'
check_same "... REG_BINARY" "$expected" "$actual" '    Двоичное    REG_BINARY    00FF7F80C0FE'
check_same "... REG_DWORD" "$expected" "$actual" '    Число    REG_DWORD    0x80000001'
check_same "... subkey" "$expected" "$actual" 'HKEY_CURRENT_USER\Software\Волнерикс\Проверка\Вложенный ключ'
check_same "Wine reads a value written through HKEY_CLASSES_ROOT" \
  "$(ours query 'HKCR\.волн' /v 'Вид')" "$(theirs query 'HKCR\.волн' /v 'Вид')" \
  '    Вид    REG_SZ    текст'

# 2. Written by Wine, read by volnrx-cli once the server has saved the hives.
wine_key='HKCU\Software\Волнерикс\Из Wine'
add_all theirs "$wine_key"
theirs add 'HKLM\Software\Волнерикс' /v "Машина" /t REG_BINARY /d 0102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F202122232425262728292A /f >/dev/null
expected=$(theirs query "$wine_key" /s)
expected_machine=$(theirs query 'HKLM\Software\Волнерикс')
stop_wine
check_same "volnrx-cli reads what Wine wrote (every type, Cyrillic names)" \
  "$expected" "$(ours query "$wine_key" /s)" '    Путь    REG_EXPAND_SZ    %SystemRoot%\Система'
check_same "volnrx-cli reads a long binary value Wine wrote over several lines" \
  "$expected_machine" "$(ours query 'HKLM\Software\Волнерикс')" \
  '    Машина    REG_BINARY    0102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F202122232425262728292A'

# 3. Files Wine wrote survive a change by volnrx-cli: everything else still reads the same.
before=$(theirs query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /s)
stop_wine
ours delete "$ours_key" /v "Ноль" /f >/dev/null
ours add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /v "Владелец" /d "Иван" /f >/dev/null
ours delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /v "Владелец" /f >/dev/null
check_same "the rest of a hive volnrx-cli changed reads the same in Wine" \
  "$before" "$(theirs query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /s)" \
  '    CurrentVersion    REG_SZ    6.1'
check_same "a value volnrx-cli deleted is gone for Wine" "" \
  "$(theirs query "$ours_key" /v "Ноль" | grep -F 'Ноль' || true)"
stop_wine

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
