#!/usr/bin/env bash
# A run killed (kill -9) at any moment of an import that changes both hives leaves the machine
# with both hives as they were or both new, never one of each: the next run finishes or undoes
# what the killed one left before it reads anything. A bounded number of kills at random moments
# of the run, on every machine kind; then no journal or staged file is left behind.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
export MTOOLS_SKIP_CHECK=1
kills=${VLX_KILLS:-20}

direct() { "$cli" "$image_option" "$image_path" "$@"; }
# Both hives' value as one line: "HKLM HKCU".
both() {
  local lm cu
  lm=$(direct reg query 'HKLM\Software\KillTest' /v round 2>&1 | sed -n 's/.*REG_SZ *//p')
  cu=$(direct reg query 'HKCU\Software\KillTest' /v round 2>&1 | sed -n 's/.*REG_SZ *//p')
  echo "${lm:-none} ${cu:-none}"
}
# An import of round N into both hives; the HKCU part is large, so writing it takes a while.
import_file() {
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\KillTest]\r\n"round"="%s"\r\n\r\n' "$1"
    printf '[HKEY_CURRENT_USER\\Software\\KillTest]\r\n"round"="%s"\r\n' "$1"
    for i in $(seq 1 150); do printf '"pad%s"="%s %s"\r\n' "$i" "$1" "$(printf '%0200d' 0)"; done
  } >"$work/round.reg"
}
# No process (a killed run's mtools programs) has the disk image open any more.
settle() {
  [ "$machine" = disk ] || return 0
  for _ in $(seq 1 200); do
    fuser -s "$image_path" 2>/dev/null || return 0
    sleep 0.05
  done
}

fresh
import_file 0
direct reg import "$work/round.reg" >/dev/null 2>&1 || fail "round 0: import failed"
expect_eq "round 0" "0 0" "$(both)"
# How long one import takes here, to pick kill moments within it (not checked).
start=$(date +%s%N)
direct reg import "$work/round.reg" >/dev/null 2>&1
span=$(( ($(date +%s%N) - start) / 1000000 + 20 ))

state=0 killed=0
for round in $(seq 1 "$kills"); do
  import_file "$round"
  # volnrx-cli itself in the background (a function would run in a subshell, and the kill
  # would leave the program running).
  "$cli" "$image_option" "$image_path" reg import "$work/round.reg" >/dev/null 2>&1 &
  pid=$!
  sleep "$(awk -v ms=$((RANDOM % span)) 'BEGIN { printf "%.3f", ms / 1000 }')"
  kill -9 "$pid" 2>/dev/null && killed=$((killed + 1))
  wait "$pid" 2>/dev/null
  settle
  now=$(both)
  case $now in
    "$state $state") ;;
    "$round $round") state=$round ;;
    *) fail "round $round: the hives disagree after the kill: $now (before: $state)" ;;
  esac
done
echo "$killed of $kills runs killed before they ended; last state $state"

# Afterwards the machine takes an import as ever, and nothing of the sets is left behind.
import_file done
direct reg import "$work/round.reg" >/dev/null 2>&1 || fail "after the kills: import failed"
expect_eq "after the kills" "done done" "$(both)"
case $machine in
  disk) left=$(mdir -a -/ -i "$volume" ::/ 2>&1 | grep -iE 'VOLNRX|~V[0-9]{6}') ;;
  *) left=$(find "$work/img" -iname '*.vlxnew*' -o -iname 'volnrx.jnl') ;;
esac
expect_eq "no journal or staged file left" "" "$left"
rm -rf "$work/img"  # the disk image's copy is stale: not read back
finish "kill -9 during a two-hive import"
