#!/usr/bin/env bash
# Records what Wine's profile functions do with the transcript script:
#   tests/unit/profile_probe/record.sh tests/unit/profile_cases.txt
# rewrites the file in place with Wine's result lines.
set -euo pipefail
script=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'WINEPREFIX=$work/pfx wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -static -o "$work/probe.exe" "$here/probe.cpp"
export WINEPREFIX=$work/pfx WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=ru_RU.UTF-8
wineboot -i >/dev/null 2>&1
wine "$work/probe.exe" "$(winepath -w "$script" 2>/dev/null)" 2>/dev/null | tr -d '\r' >"$work/out"
mv "$work/out" "$script"
