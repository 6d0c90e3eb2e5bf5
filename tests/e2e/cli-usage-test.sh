#!/usr/bin/env bash
# volnrx-cli's usage: --help and reg [OPERATION] /? print it on standard output and end with 0,
# with or without an image; every usage error prints the reason on standard error and ends
# with 2, changing nothing; an image that is not there is named as such.
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

# reg's own usage, with or without an image.
while IFS='|' read -r args expected; do
  # shellcheck disable=SC2086
  out=$("$cli" $args 2>"$work/err"); rc=$?
  expect_eq "$args: exit status" 0 "$rc"
  expect_has "$args: its usage" "$expected" "$out"
  expect_eq "$args: nothing on standard error" "" "$(cat "$work/err")"
done <<EOF2
reg /?|REG OPERATION [ARGUMENTS]
$image_option $image_path reg /?|REG OPERATION [ARGUMENTS]
reg add /?|REG ADD KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]
$image_option $image_path reg ADD -h|REG ADD KEY
reg query /?|REG QUERY KEY [/v NAME | /ve] [/s]
reg delete /H|REG DELETE KEY [/v NAME | /ve | /va] [/f]
reg export /?|REG EXPORT KEY FILE [/y]
reg import /?|REG IMPORT FILE
EOF2

# Usage errors: exit status 2, the reason on standard error.
while IFS='|' read -r args expected; do
  # shellcheck disable=SC2086
  out=$(eval "\"\$cli\" $args" 2>"$work/err"); rc=$?
  expect_eq "$args: exit status" 2 "$rc"
  expect_has "$args: the reason" "$expected" "$(cat "$work/err")"
done <<EOF2
$image_option $image_path reg|ERROR: Invalid syntax.
$image_option $image_path reg add|ERROR: Invalid syntax.
$image_option $image_path reg frobnicate HKCU|ERROR: Invalid syntax.
$image_option $image_path reg add HKCU /q|ERROR: Invalid syntax.
$image_option $image_path reg add HKXX\\Soft /f|ERROR: Invalid key name.
$image_option $image_path reg query NOWHERE|ERROR: Invalid key name.
$image_option $image_path reg export HKCU|ERROR: Invalid syntax.
$image_option $image_path reg import|ERROR: Invalid syntax.
--prefix|--prefix needs a folder
$image_option|$image_option needs
$image_option $image_path show --backup|--backup needs a folder
$image_option $image_path show --dry-run --backup $work/b|--dry-run and --backup together
$image_option $image_path restore|restore needs the backup folder
$image_option $image_path -f $work/none.txt show|commands and -f SCRIPT together
$image_option $image_path page|'page' needs 1 argument(s)
show|one of --prefix DIR, --win9x DIR and --disk IMAGE is required
init|usage: volnrx-cli init
EOF2
expect_eq "usage errors change nothing" "$before" \
  "$(cd "$work/img" && find . -type f -exec md5sum {} + | sort)"

# An image that is not there: said so, whether the run reads or writes.
for args in "--prefix $work/none show" "--prefix $work/none reg add HKCU\\X /f" \
            "--win9x $work/none show" "--prefix $work/none reg query HKCU"; do
  # shellcheck disable=SC2086
  out=$("$cli" $args 2>&1); rc=$?
  expect_eq "$args: exit status" 1 "$rc"
  expect_has "$args: no such image" "there is no machine image $work/none (no such folder)" "$out"
done
[ -e "$work/none" ] && fail "a run made the missing image"

# A user who cannot write the image: the image is named, not a lock file.
if [ "$(id -u)" = 0 ] && command -v runuser >/dev/null && runuser -u nobody -- test -x "$cli"; then
  chmod o+rx "$work"
  out=$(runuser -u nobody -- "$cli" $image_option "$image_path" reg add 'HKCU\X' /f 2>&1); rc=$?
  expect_eq "not writable: exit status" 1 "$rc"
  expect_has "not writable: said so" "volnrx-cli: the machine image $image_path is not writable for this user" "$out"
  out=$(runuser -u nobody -- "$cli" $image_option "$image_path" reg query 'HKCU\Control Panel' 2>&1); rc=$?
  expect_eq "not writable: reading still works" 0 "$rc"
else
  echo "skip the not-writable checks: not root, or nobody cannot run $cli"
fi

# users on a machine without profiles says there are none.
if [ "$machine" != prefix ]; then
  out=$("$cli" $image_option "$image_path" users 2>&1); rc=$?
  expect_eq "users: exit status" 0 "$rc"
  expect_eq "users without profiles" "no user profiles: every user has the machine's USER.DAT" "$out"
fi
finish "volnrx-cli usage"
