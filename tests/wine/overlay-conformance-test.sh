#!/usr/bin/env bash
# The store conformance suite of vlx_wine_tests.exe once more, through the dry run's overlay over
# the live (Wine) system: the decorator answers every port call as the Win32 adapter does.
set -uo pipefail
build=$(cd "${VLX_WIN_BUILD:-build/win64}" && pwd)
exe=$build/tests/vlx_wine_tests.exe
[ -f "$exe" ] || { echo "missing $exe"; exit 1; }
out=$(VLX_CONFORMANCE_OVERLAY=1 timeout 300 wine "$exe" --gtest_filter='*Conformance*' </dev/null 2>&1)
rc=$?
tail -3 <<<"$out"
grep -E '^\[  FAILED  \]' <<<"$out" | head -20
[ "$rc" = 0 ] && grep -qE '^\[  PASSED  \] [1-9]' <<<"$out"
