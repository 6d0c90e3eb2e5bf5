#!/usr/bin/env bash
# The download package: exactly the six program files and README.TXT (an 8.3 name), a read-me in
# code page 1251 with CR LF line ends, and every program file passes the Windows 98/ME audit
# after unpacking.
#   tests/scripts/package-test.sh ZIP
set -euo pipefail
zip=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "package: $*"; echo "0 passed, 1 failed"; exit 1; }
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work" ||
  fail "cannot unpack $zip"
names=$(cd "$work" && find . -mindepth 1 -printf '%P\n' | sort | tr '\n' ' ')
[ "$names" = "README.TXT bgfmt.exe glasslbl.exe vlximg.dll volnrx-cli.exe volnrx.exe vxeject.dll " ] ||
  fail "holds: $names"
programs=(volnrx.exe vlximg.dll vxeject.dll glasslbl.exe bgfmt.exe volnrx-cli.exe)
readme=$work/README.TXT
iconv -f CP1251 -t UTF-8 "$readme" >/dev/null || fail "README.TXT is not code page 1251"
iconv -f CP1251 -t UTF-8 "$readme" | grep -q 'Windows 98' || fail "README.TXT does not name Windows 98"
iconv -f CP1251 -t UTF-8 "$readme" | grep -q 'volnrx.exe' || fail "README.TXT does not say what to start"
lines=$(wc -l <"$readme"); crlf=$(grep -c $'\r$' "$readme" || true)
[ "$lines" -gt 0 ] && [ "$lines" -eq "$crlf" ] || fail "README.TXT has $crlf CR LF ends of $lines lines"
[ "$(tail -c2 "$readme" | od -An -tx1 | tr -d ' \n')" = 0d0a ] || fail "README.TXT lacks its last line end"
for f in "${programs[@]}"; do
  i686-w64-mingw32-objdump -h "$work/$f" | grep -q '\.debug' && fail "$f carries debug sections"
done
# A second reader of the import tables: binutils' objdump names no DLL outside the reviewed list's
# [dlls] and no function its [deny] patterns match.
section() {  # section NAME: the first word of each line of one section of the reviewed list
  awk -v want="[$1]" '{ sub(/#.*/, "") } /^\[/ { on = ($1 == want); next } on && NF { print $1 }' \
    "$root/scripts/win9x-imports.txt"
}
mapfile -t allowed_dlls < <(section dlls)
mapfile -t deny < <(section deny)
for f in "${programs[@]}"; do
  dump=$(i686-w64-mingw32-objdump -p "$work/$f")
  while read -r dll; do
    [[ " ${allowed_dlls[*]} " == *" $dll "* ]] || fail "objdump: $f imports from $dll"
  done < <(awk '/DLL Name:/ { print tolower($3) }' <<<"$dump")
  while read -r name; do
    for pattern in "${deny[@]}"; do
      # shellcheck disable=SC2053  # the pattern is a glob on purpose
      [[ $name == $pattern ]] && fail "objdump: $f imports $name"
    done
  done < <(awk '/DLL Name:/ { on = 1 } on && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print $3 }' <<<"$dump")
done
(cd "$work" && "$root/scripts/import-audit" "${programs[@]}")
