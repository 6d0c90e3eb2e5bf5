# Sourced by glasslbl-test.sh and bgfmt-test.sh: a throwaway Wine prefix, an X server when none
# is given, the probe that runs a tool and reports what it showed, and the checks.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/own-prefix-lib.sh"
build=$(cd "${VLX_WIN_BUILD:-$root/build/win64}" && pwd)
probe_exe=$build/glasslbl/toolprobe.exe
failures=0
xvfb_pid=
on_exit '[ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null'

if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(tr -d '[:space:]' <"$work/display")
fi
own_prefix  # one server for all runs: each run then costs a fraction of a second

# probe ARGS...: runs toolprobe.exe and prints its report, one line per item.
probe() { timeout 120 wine "$probe_exe" "$@" 2>/dev/null | tr -d '\r' || true; }

# check WHAT COMMAND...: counts a failure when COMMAND fails.
check() {
  local what=$1; shift
  if "$@"; then
    echo "ok   $what"
  else
    echo "FAIL $what"
    failures=$((failures + 1))
  fi
}
# has REPORT LINE: the report holds exactly this line.
has() { grep -qxF -- "$2" <<<"$1" || { printf '  report:\n%s\n' "$1" | sed 's/^/    /'; false; }; }
# quiet REPORT: the tool showed no message box or window and was not stopped.
quiet() { ! grep -qE '^(box|window|error)' <<<"$1" || { printf '%s\n' "$1" | sed 's/^/    /'; false; }; }

# The program is a windowed-subsystem one and carries MAINICON with 16x16 and 32x32 images.
check_program_file() {
  local report; report=$(probe icon "$1")
  check "$(basename "$1"): windowed subsystem" has "$report" "subsystem=2"
  check "$(basename "$1"): MAINICON 16x16" has "$report" "image 16x16 4"
  check "$(basename "$1"): MAINICON 32x32" has "$report" "image 32x32 4"
}

finish() {
  if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
  echo "all checks passed"
}
