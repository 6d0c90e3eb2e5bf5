#!/usr/bin/env bash
# One writer per machine image: runs that change it at the same time lose nothing, a writer
# busy for longer than the wait is refused, and no run writes while a wineserver runs for the
# image (readers go ahead with a warning).
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
# The lock and the wineserver checks are the same for every machine kind; a Wine prefix is the
# one a wineserver can run for, and twenty writers at once are quick only there.
[ "$machine" = prefix ] || exit 77
key='HKCU\Software\Together'
image_sum() { (cd "$work/img" && find . -type f -exec md5sum {} + | sort); }

# Twenty rounds of two writers started together: every success is in the image, every failure
# says so.
fresh
for round in $(seq 1 20); do
  for side in a b; do
    ( out=$(run reg add "$key" /v "$side$round" /d x /f 2>&1); echo "$? $side$round $out" \
        > "$work/result-$side$round" ) &
  done
  wait
done
values=$(run reg query "$key")
for result in "$work"/result-*; do
  read -r rc name message < "$result"
  if [ "$rc" = 0 ]; then
    grep -qw "$name" <<<"$values" || fail "$name: reported written, missing from the image"
  else
    expect_has "$name: failure explained" "volnrx-cli:" "$message"
  fi
done
[ "$(grep -c REG_SZ <<<"$values")" = 40 ] || fail "not all 40 values written: $(grep -c REG_SZ <<<"$values")"

# A writer that holds the image for longer than the wait: the next one is refused, unchanged.
fresh
before=$(image_sum)
flock "$work/img" sleep 8 &
holder=$!
sleep 0.2
start=$(date +%s%N)
out=$(run reg add "$key" /v late /d x /f 2>&1); rc=$?
waited=$(( ($(date +%s%N) - start) / 1000000 ))
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null
expect_eq "busy image: exit status" 3 "$rc"
expect_has "busy image: said so" "is being changed by another run" "$out"
expect_has "busy image: nothing changed" "nothing was changed" "$out"
[ "$waited" -ge 4500 ] || fail "busy image: refused after $waited ms, without waiting"
expect_eq "busy image: the image keeps its bytes" "$before" "$(image_sum)"

# A wineserver for the image: writers refuse without touching a byte, naming the command that
# stops it; readers warn that what they show may be stale.
if command -v wineserver >/dev/null; then
  fresh
  WINEPREFIX="$work/img" wineserver -p
  on_exit() { WINEPREFIX="$work/img" wineserver -k 2>/dev/null; }
  sleep 0.5
  before=$(image_sum)
  for command in "reg add $key /v v /d x /f" "reg delete HKCU\\Software /f" "apply" "ok"; do
    # shellcheck disable=SC2086
    out=$(run $command 2>&1); rc=$?
    expect_eq "$command with a wineserver: exit status" 3 "$rc"
    expect_has "$command: the command that stops it" "WINEPREFIX=$work/img wineserver -k" "$out"
  done
  expect_eq "wineserver: the image keeps its bytes" "$before" "$(image_sum)"
  out=$(run reg query 'HKCU\Control Panel\Desktop' /v MenuShowDelay 2>&1); rc=$?
  expect_eq "reg query with a wineserver: exit status" 0 "$rc"
  expect_has "reg query: the value" "MenuShowDelay" "$out"
  expect_has "reg query: may be stale" "may be stale" "$out"
  out=$(run dump btnSave 2>&1)
  expect_has "dump: may be stale" "may be stale" "$out"
  WINEPREFIX="$work/img" wineserver -k
  on_exit() { :; }
  sleep 0.3
  out=$(run reg add "$key" /v after /d x /f 2>&1); rc=$?
  expect_eq "after the wineserver ended: written" 0 "$rc"
else
  echo "no wineserver here: its part is skipped"
fi

finish "one writer per image"
