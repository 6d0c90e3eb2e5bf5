#!/usr/bin/env bash
# vxeject.dll registered and unregistered the way regsvr32 does it, checked with `wine reg query`
# in a throwaway prefix.   tests/wine/libs-test.sh [WINDOWS_BUILD_DIR]
set -euo pipefail
source "$(dirname "$0")/own-prefix-lib.sh"
build=$(cd "${1:-${VLX_WIN_BUILD:-$root/build/win64}}" && pwd)
own_prefix

failures=0
check() {  # WHAT COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
# query KEY ARGS...: `wine reg query` output without carriage returns; fails as reg fails.
query() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }
# value KEY NAME|"": the data of one REG_SZ value, empty when the key or value is absent.
value() {
  local out
  if [ -z "$2" ]; then out=$(query "$1" /ve) || return 0; else out=$(query "$1" /v "$2") || return 0; fi
  LC_ALL=C sed -n 's/^ *[^ ].*REG_SZ *//p' <<<"$out" | head -1  # names come in the OEM code page
}
absent() { ! query "$1" >/dev/null; }
same_path() { [ "${1,,}" = "${2,,}" ]; }

clsid='{8E8E8F8A-8FCC-88CE-BCB8-B8FD8E88888A}'
class="HKCR\\CLSID\\$clsid"
handler='HKCR\Drive\shellex\ContextMenuHandlers\VxEject'
dll=$(winepath -w "$build/vxeject.dll" | tr -d '\r')

check "class key absent before registration" absent "$class"
check "regsvr32 vxeject.dll succeeds" wine regsvr32 /s "$dll"
check "class key has a non-empty default value" test -n "$(value "$class" "")"
check "InprocServer32 names the library" same_path "$(value "$class\\InprocServer32" "")" "$dll"
check "ThreadingModel is Apartment" test "$(value "$class\\InprocServer32" ThreadingModel)" = Apartment
check "context-menu handler for drives" test "$(value "$handler" "")" = "$clsid"

check "regsvr32 /u vxeject.dll succeeds" wine regsvr32 /u /s "$dll"
check "class key removed" absent "$class"
check "handler key removed" absent "$handler"
check "regsvr32 /u again still succeeds" wine regsvr32 /u /s "$dll"

# The context menu of a CD-ROM drive: a drive R: of type cdrom, read by the mount manager at start.
mkdir -p "$work/cd"
ln -s "$work/cd" "$WINEPREFIX/dosdevices/r:"
wine reg add 'HKLM\Software\Wine\Drives' /v r: /d cdrom /f >/dev/null 2>&1
wineserver -k; wineserver -w; wineserver -p
check "vxeject.dll offers its item on CD-ROM drives only" env VLX_CD_DRIVE=R: \
  wine "$build/tests/vlx_wine_tests.exe" --gtest_filter='VxEject.*' --gtest_brief=1

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
