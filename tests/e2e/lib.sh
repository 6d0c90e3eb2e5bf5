# Common helpers of the end-to-end scripts, sourced by each tests/e2e/*-test.sh:
#   source "$(dirname "$0")/lib.sh" "$@"
# Sets `cli` (the volnrx-cli given as the first argument) and `work` (a fresh folder, removed at
# exit; a script that needs more clean-up defines `on_exit`).
cli=${1:?usage: $(basename "$0") PATH-TO-volnrx-cli}
work=$(mktemp -d)
failures=0
on_exit() { :; }
trap 'on_exit; rm -rf "$work"' EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_has() {  # what, expected line (fixed string), text
  grep -qF -- "$2" <<<"$3" || { fail "$1: no line '$2'"; printf '%s\n' "$3" | head -30; }
}
expect_not() {  # what, unexpected text (fixed string), text
  if grep -qF -- "$2" <<<"$3"; then fail "$1: unexpected '$2'"; fi
}
expect_eq() {  # what, expected, actual
  if [ "$2" != "$3" ]; then
    fail "$1"
    diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | head -20
  fi
}
# A new default machine image in $work/img.
fresh() { rm -rf "$work/img"; "$cli" init "$work/img" >/dev/null || { echo "init failed"; exit 1; }; }
run() { "$cli" --prefix "$work/img" "$@"; }
# Runs a file of volnrx-cli commands: its output, errors included, in `out`; any exit status
# but 0 is a failure.
run_script() {
  out=$(run -f "$1" 2>&1)
  local rc=$?
  [ "$rc" = 0 ] || fail "$(basename "$1"): exit status $rc"
}
# A file of the image by its Windows path below C:\, matched without regard to letter case.
find_file() { find "$work/img/drive_c" -ipath "$work/img/drive_c/$1" 2>/dev/null | head -1; }
# Ends the script: a summary line and the exit status.
finish() {  # what passed
  if [ "$failures" -ne 0 ]; then echo "$1: $failures failure(s)"; exit 1; fi
  echo "$1: all passed"
  exit 0
}
