#!/usr/bin/env bash
# volnrx-cli's usage: --help prints it on standard output and ends with 0, with or without an
# image; an unknown command prints it on standard error and ends with 2, changing nothing.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
fresh
for args in "--help" "-h" "--prefix $work/img --help"; do
  # shellcheck disable=SC2086
  out=$("$cli" $args 2>"$work/err"); rc=$?
  expect_eq "$args: exit status" 0 "$rc"
  expect_has "$args: usage on standard output" "usage: volnrx-cli" "$out"
  expect_eq "$args: nothing on standard error" "" "$(cat "$work/err")"
done
before=$(cd "$work/img" && find . -type f -exec md5sum {} + | sort)
for args in "frobnicate" "--prefix $work/img frobnicate" "--prefix $work/img show frobnicate"; do
  # shellcheck disable=SC2086
  out=$("$cli" $args 2>"$work/err"); rc=$?
  expect_eq "$args: exit status" 2 "$rc"
  expect_eq "$args: nothing on standard output" "" "$out"
  expect_has "$args: names the command" "unknown command 'frobnicate'" "$(cat "$work/err")"
  expect_has "$args: usage on standard error" "usage: volnrx-cli" "$(cat "$work/err")"
done
expect_eq "unknown commands change nothing" "$before" \
  "$(cd "$work/img" && find . -type f -exec md5sum {} + | sort)"
finish "volnrx-cli usage"
