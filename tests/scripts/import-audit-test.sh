#!/usr/bin/env bash
# scripts/import-audit against small programs built here with the i686 toolchain: a clean one
# passes; a Vista import, a DLL outside the set, an unreviewed function and a 6.0 PE header fail,
# each named with file and function; a reviewed list that admits a deny-listed name is refused.
set -euo pipefail
audit=$1
cc=$(command -v i686-w64-mingw32-gcc-win32 || command -v i686-w64-mingw32-gcc || true)
[ -n "$cc" ] || { echo "no i686 mingw-w64 compiler"; exit 77; }
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cd "$work"

build() {  # build NAME SOURCE [FLAGS...]
  local name=$1 source=$2; shift 2
  printf '#include <windows.h>\n%s\n' "$source" >"$name.c"
  "$cc" -O1 -o "$name.exe" "$name.c" -Wl,--major-os-version,4,--minor-os-version,0 \
    -Wl,--major-subsystem-version,4,--minor-subsystem-version,0 "$@"
}
expect() {  # expect STATUS PATTERN FILE...: the audit's status and a line of its output
  local want=$1 pattern=$2; shift 2
  local rc=0
  "$audit" "$@" >out.txt 2>&1 || rc=$?
  if [ "$rc" -ne "$want" ] || ! grep -qE -- "$pattern" out.txt; then
    echo "audit of $* gave status $rc (wanted $want), output:"; cat out.txt
    echo "wanted a line matching: $pattern"; exit 1
  fi
}

build clean 'int main(void) { return (int)GetVersion() & 1; }'
build vista 'int main(void) { return (int)GetTickCount64() & 1; }'
build shlwapi '#include <shlwapi.h>
int main(void) { return PathFileExistsA("C:\\") ? 0 : 1; }' -lshlwapi
build unreviewed 'int main(void) { return (int)GetCurrentProcessId() & 1; }'
"$cc" -o new-header.exe clean.c -Wl,--major-subsystem-version,6,--minor-subsystem-version,0

expect 0 '^1 passed, 0 failed$' clean.exe
expect 1 'vista\.exe: imports KERNEL32\.dll!GetTickCount64, which Windows 98/ME do not export' vista.exe
expect 1 'shlwapi\.exe: imports from SHLWAPI\.dll \(PathFileExistsA\), a DLL outside' shlwapi.exe
expect 1 'unreviewed\.exe: imports KERNEL32\.dll!GetCurrentProcessId, which is not in the reviewed list' unreviewed.exe
expect 1 'new-header\.exe: asks for subsystem version 6\.0' new-header.exe
expect 1 '^1 passed, 3 failed$' clean.exe vista.exe shlwapi.exe unreviewed.exe
printf 'not a program' >junk.exe
expect 1 'junk\.exe: cannot be read as a PE file' junk.exe

# The deny list wins over the reviewed list.
{ cat "$(dirname "$audit")/win9x-imports.txt"; printf '[kernel32.dll]\nFlsAlloc\n'; } >list.txt
expect 1 'kernel32\.dll!FlsAlloc is deny-listed' --list list.txt clean.exe
echo "import audit: all cases as expected"
