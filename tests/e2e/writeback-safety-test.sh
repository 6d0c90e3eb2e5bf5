#!/usr/bin/env bash
# Writing a 9x drive or a disk image back never loses a hive: a write that cannot be done is
# refused with a clear message, a non-zero exit and the image byte for byte as it was (a full
# image, a missing USER.DAT, a read-only image file); a write-back an earlier run left
# unfinished in a disk image is finished, or undone, by the next run before it reads anything.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
[ "$machine" = prefix ] && exit 77
export MTOOLS_SKIP_CHECK=1
key='HKCU\Software\Grow'

# The image as the next run sees it, byte for byte: the image file, or every file of the drive.
image_sum() {
  if [ "$machine" = disk ]; then sha256sum <"$image_path"
  else (cd "$work/img" && find . -type f -print0 | sort -z | xargs -0 sha256sum); fi
}
# A .reg file with one value of N bytes of text.
grow_reg() {
  printf 'REGEDIT4\r\n\r\n[%s]\r\n"big"="%s"\r\n' "HKEY_CURRENT_USER\\Software\\Grow" \
    "$(head -c "$1" /dev/zero | tr '\0' x)" >"$work/grow.reg"
}
# Runs straight on the image (no copy kept in $work/img for a disk image).
direct() { "$cli" "$image_option" "$image_path" "$@"; }

# Each case: its name, how it spoils a fresh image, the command, what the refusal says.
# full: a FAT16 volume with room for the hive's safety copy but not for the new hive beside
#   the old one (the old mcopy replacement deleted USER.DAT and then ran out of room).
make_full() {
  [ "$machine" = disk ] || return 1
  local vol=$work/fat16.img
  rm -f "$vol"
  mkfs.fat -C -F 16 "$vol" 20480 >/dev/null
  mcopy -s -m -i "$vol" "$work/img"/* ::/ || return 1
  mattrib -i "$vol" +r +h +s ::/WINDOWS/SYSTEM.DAT ::/WINDOWS/USER.DAT
  local cluster free user
  cluster=$(( $(minfo -i "$vol" :: | sed -n 's/^cluster size: \([0-9]*\).*/\1/p') * 512 ))
  free=$(mdir -i "$vol" ::/ | sed -n 's/ bytes free//p' | tr -d ' ')
  user=$(stat -c %s "$work/img/WINDOWS/USER.DAT")
  # Leaves the safety copy's clusters and one more free.
  local keep=$(( (user + cluster - 1) / cluster * cluster + cluster ))
  head -c $(( free - keep )) /dev/zero >"$work/filler"
  mcopy -i "$vol" "$work/filler" ::/FILLER.BIN || return 1
  image_path=$vol
  grow_reg 12000
}
missing_user() { rm -f "$drive/WINDOWS/USER.DAT"; sync_disk push; }
read_only() {
  [ "$machine" = disk ] || return 1
  chmod 444 "$image_path"
}
cases=(
  "full image|make_full|reg import $work/grow.reg|Not enough room in"
  "missing USER.DAT, reg add|missing_user|reg add $key /v v /d x /f|\\WINDOWS\\USER.DAT is missing"
  "missing USER.DAT, reg query|missing_user|reg query HKCU|\\WINDOWS\\USER.DAT is missing"
  "missing USER.DAT, apply|missing_user|apply|\\WINDOWS\\USER.DAT is missing"
  "read-only image file|read_only|reg add $key /v v /d x /f|is read-only (mode 0444): nothing was written"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r name spoil command says <<<"$entry"
  fresh
  image_path=$work/disk.img
  $spoil || { [ "$machine" = disk ] || continue; fail "$name: could not prepare the image"; continue; }
  before=$(image_sum)
  # shellcheck disable=SC2086
  out=$(direct $command 2>&1); rc=$?
  [ "$rc" != 0 ] || fail "$name: exit status 0"
  expect_has "$name: said why" "$says" "$out"
  expect_not "$name: no success line" "completed successfully" "$out"
  expect_eq "$name: the image keeps every byte" "$before" "$(image_sum)"
  [ "$machine" = disk ] && chmod 644 "$image_path"
  image_path=$work/disk.img
  rm -rf "$work/img"  # spoilt: not read back through cregexport
done

# A full image still reads, and the refused run left the whole of HKCU.
if [ "$machine" = disk ]; then
  fresh
  make_full
  direct reg import "$work/grow.reg" >/dev/null 2>&1
  out=$(direct reg query 'HKCU\Control Panel\Desktop' /v MenuShowDelay 2>&1)
  expect_has "full image: HKCU still there" "MenuShowDelay" "$out"
  mdir -a -i "$image_path" ::/WINDOWS/USER.DAT >/dev/null 2>&1 || fail "full image: USER.DAT is gone"
  image_path=$work/disk.img
fi

# A read-only image is still read.
if [ "$machine" = disk ]; then
  fresh
  chmod 444 "$image_path"
  out=$(direct reg query 'HKCU\Control Panel\Desktop' /v MenuShowDelay 2>&1); rc=$?
  expect_eq "read-only image: reg query exit status" 0 "$rc"
  expect_has "read-only image: reg query" "MenuShowDelay" "$out"
  chmod 644 "$image_path"
fi

# An unfinished write-back in a disk image: with its complete journal the next run finishes it;
# a staged file without one (the run stopped before its journal) is removed, the hive as it was.
if [ "$machine" = disk ]; then
  fresh
  cp "$image_path" "$work/before.img"
  direct reg add "$key" /v finished /d yes /f >/dev/null || fail "reg add failed"
  mtype -i "$volume" ::/WINDOWS/USER.DAT >"$work/new-user.dat"
  cp "$work/before.img" "$image_path"
  mcopy -i "$volume" "$work/new-user.dat" ::/WINDOWS/~V000001.TMP
  printf 'VOLNERIX FILE SET 1\nput\tWINDOWS/~V000001.TMP\tWINDOWS/USER.DAT\nend\n' >"$work/jnl"
  mcopy -i "$volume" "$work/jnl" ::/VOLNRX.JNL
  out=$(direct reg query "$key" /v finished 2>&1)
  expect_has "complete journal: the set finished" "yes" "$out"
  listing=$(mdir -a -/ -i "$volume" ::/ 2>&1)
  expect_not "complete journal: gone" "VOLNRX" "$listing"
  expect_not "complete journal: no staged file left" "~V000001" "$listing"

  cp "$work/before.img" "$image_path"
  user_before=$(mtype -i "$volume" ::/WINDOWS/USER.DAT | sha256sum)
  mcopy -i "$volume" "$work/new-user.dat" ::/WINDOWS/~V000001.TMP
  printf 'VOLNERIX FILE SET 1\nput\tWINDOWS/~V000001.TMP\tWINDOWS/USER.DAT\n' >"$work/jnl"
  mcopy -i "$volume" "$work/jnl" ::/VOLNRX.JNL
  out=$(direct reg query "$key" /v finished 2>&1)
  expect_not "journal cut short: the set undone" "yes" "$out"
  expect_eq "journal cut short: USER.DAT as it was" "$user_before" \
    "$(mtype -i "$volume" ::/WINDOWS/USER.DAT | sha256sum)"
  listing=$(mdir -a -/ -i "$volume" ::/ 2>&1)
  expect_not "journal cut short: gone" "VOLNRX" "$listing"
  expect_not "journal cut short: no staged file left" "~V000001" "$listing"
fi

finish "write-back safety"
