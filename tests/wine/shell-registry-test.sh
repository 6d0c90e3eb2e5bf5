#!/usr/bin/env bash
# The Repair page's ".inf" association and thumbnail repairs and the Explorer page's "Закрыть"
# item, run by vlx_shell_actions.exe through the real Win32 adapters in a throwaway prefix; what
# they leave in the registry is read with `wine reg query`.
#   tests/wine/shell-registry-test.sh [WINDOWS_BUILD_DIR]
set -uo pipefail
source "$(dirname "$0")/own-prefix-lib.sh"
build=$(cd "${1:-${VLX_WIN_BUILD:-$root/build/win64}}" && pwd)
for file in tests/vlx_shell_actions.exe vxeject.dll vlximg.dll; do
  [ -f "$build/$file" ] || { echo "missing $build/$file"; exit 1; }
done
own_prefix

failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
expect_eq() {  # WHAT EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok   $1"; return; fi
  fail "$1"
  diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/    /'
}
# wine reg ARGS...: the console output in UTF-8 with Unix line ends, blank lines dropped and the
# English name of the default value.
wine_reg() {
  timeout 60 wine reg "$@" </dev/null 2>/dev/null | iconv -f CP866 -t UTF-8 | tr -d '\r' |
    sed -e '/^$/d' -e 's/^    (По умолчанию)    /    (Default)    /'
}
absent() { ! timeout 60 wine reg query "$1" </dev/null >/dev/null 2>&1; }
# action FOLDER ARGS...: vlx_shell_actions.exe copied into FOLDER (below C:\) run with ARGS; its
# output in UTF-8.
action() {
  local folder=$1; shift
  timeout 120 wine "$WINEPREFIX/drive_c/$folder/vlx_shell_actions.exe" "$@" </dev/null 2>/dev/null |
    iconv -f CP1251 -t UTF-8 | tr -d '\r'
}
install_program() {  # FOLDER LIBRARY...
  local folder=$WINEPREFIX/drive_c/$1; shift
  mkdir -p "$folder"
  cp "$build/tests/vlx_shell_actions.exe" "$folder/"
  for lib in "$@"; do cp "$build/$lib" "$folder/"; done
}
install_program vlxprog vlximg.dll vxeject.dll
install_program vlxbare vlximg.dll

windir='C:\windows'
sysdir='C:\windows\system32'

# 1. ".inf" association: the keys are cleared first, so the query shows only what was written.
for root in 'HKCR' 'HKLM\Software\Classes'; do
  wine reg delete "$root\\.inf" /f >/dev/null 2>&1 </dev/null
  wine reg delete "$root\\inffile" /f >/dev/null 2>&1 </dev/null
done
out=$(action vlxprog repair-inf)
expect_eq "inf repair: no message, no error" "" "$out"
for root in HKEY_CLASSES_ROOT 'HKEY_LOCAL_MACHINE\Software\Classes'; do
  expect_eq "inf repair: .inf under $root" "$root\\.inf
    (Default)    REG_SZ    inffile" "$(wine_reg query "$root\\.inf" /s)"
  expect_eq "inf repair: inffile under $root" "$root\\inffile
    (Default)    REG_SZ    Сведения для установки
    EditFlags    REG_BINARY    00000000
$root\\inffile\\DefaultIcon
    (Default)    REG_SZ    $sysdir\\shell32.dll,-151
$root\\inffile\\shell
$root\\inffile\\shell\\install
    (Default)    REG_SZ    Устан&овить
$root\\inffile\\shell\\install\\command
    (Default)    REG_SZ    $windir\\rundll.exe setupx.dll,InstallHinfSection DefaultInstall 132 %1
$root\\inffile\\shell\\open
$root\\inffile\\shell\\open\\command
    (Default)    REG_SZ    $windir\\NOTEPAD.EXE %1
$root\\inffile\\shell\\print
$root\\inffile\\shell\\print\\command
    (Default)    REG_SZ    $windir\\NOTEPAD.EXE /p %1" "$(wine_reg query "$root\\inffile" /s)"
done

# 2. Thumbnail extractors: nine keys under each root, each holding only its default value.
extractor='{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}'
extensions=(.bmp .dib .art .gif .jfif .jpe .jpeg .jpg .png)
for ext in "${extensions[@]}"; do
  wine reg delete "HKCR\\$ext\\ShellEx\\$extractor" /f >/dev/null 2>&1 </dev/null
done
out=$(action vlxprog repair-thumbnails)
expect_eq "thumbnail repair: no message, no error" "" "$out"
for root in HKEY_CLASSES_ROOT 'HKEY_LOCAL_MACHINE\Software\Classes'; do
  for ext in "${extensions[@]}"; do
    key="$root\\$ext\\ShellEx\\$extractor"
    expect_eq "thumbnail repair: $ext under $root" "$key
    (Default)    REG_SZ    {7376D660-C583-11d0-A3A5-00C04FD706EC}" "$(wine_reg query "$key" /s)"
  done
done

# 3. Explorer page, item 9: vxeject.dll registered and unregistered through the page's apply.
clsid='{8E8E8F8A-8FCC-88CE-BCB8-B8FD8E88888A}'
class="HKEY_CLASSES_ROOT\\CLSID\\$clsid"
handler='HKEY_CLASSES_ROOT\Drive\shellex\ContextMenuHandlers\VxEject'
missing='message: Volnerix | Файл "vxeject.dll" не найден в каталоге с программой !\r\rРабота программы будет прервана без согласия пользователя.\rДля устранения неполадки переустановите "Volnerix"\rили достаньте из дистрибутива файл "vxeject.dll" и поместите в\rкаталог с программой.'
registered="$class
    (Default)    REG_SZ    Закрытие лотка CD-ROM (Volnerix)
$class\\InprocServer32
    (Default)    REG_SZ    C:\\vlxprog\\vxeject.dll
    ThreadingModel    REG_SZ    Apartment"

absent "$class" || fail "class key present before the first apply"
out=$(action vlxprog explorer on)
grep -qxF 'loaded: 0' <<<"$out" || fail "item 9 loaded checked before registration: $out"
grep -qxF 'closed: 0' <<<"$out" || fail "window closed with the library present: $out"
grep -qF 'не найден' <<<"$out" && fail "missing-library message with the library present"
expect_eq "checked: class key registered" "$registered" "$(wine_reg query "$class" /s)"
expect_eq "checked: drive context-menu handler" "$handler
    (Default)    REG_SZ    $clsid" "$(wine_reg query "$handler" /s)"

out=$(action vlxprog explorer on)
grep -qxF 'loaded: 1' <<<"$out" || fail "item 9 not loaded checked after registration: $out"
expect_eq "checked again: registration unchanged" "$registered" "$(wine_reg query "$class" /s)"

# Without the library beside the program: the message, the window closed, nothing registered
# or unregistered.
out=$(action vlxbare explorer off)
grep -qxF -- "$missing" <<<"$out" || fail "no missing-library message: $out"
grep -qxF 'closed: 1' <<<"$out" || fail "window not closed after the missing-library message"
expect_eq "library missing: registration kept" "$registered" "$(wine_reg query "$class" /s)"

out=$(action vlxprog explorer off)
grep -qxF 'loaded: 1' <<<"$out" || fail "item 9 not loaded checked before unregistration: $out"
absent "$class" || fail "unchecked: class key still present"
absent "$handler" || fail "unchecked: handler key still present"
out=$(action vlxprog explorer off)
grep -qxF 'loaded: 0' <<<"$out" || fail "item 9 loaded checked after unregistration: $out"

out=$(action vlxbare explorer on)
grep -qxF -- "$missing" <<<"$out" || fail "no missing-library message when checking: $out"
absent "$class" || fail "library missing: class key registered"

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
