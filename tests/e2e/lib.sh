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
# VLX_E2E_MACHINE=win9x runs the same scripts on a Windows 9x boot drive (init --win9x,
# --win9x): C:\ is the image folder itself, the registry SYSTEM.DAT and USER.DAT; every image is
# then also read back through cregexport and compared with reg query /s before it goes.
# VLX_E2E_MACHINE=disk does the same in a raw disk image (init --disk, --disk): $work/img is
# then a copy of its FAT volume, taken after every run, and what a script changes there goes
# into the image before the next run (disk_sync.py, with mtools).
machine=${VLX_E2E_MACHINE:-prefix}
e2e_dir=$(dirname "${BASH_SOURCE[0]}")
image_path=$work/img drive=$work/img hive_ref=WINDOWS/SYSTEM.DAT
case $machine in
  win9x) image_option=--win9x init_option=--win9x ;;
  disk) image_option=--disk init_option=--disk image_path=$work/disk.img ;;
  *) image_option=--prefix init_option= drive=$work/img/drive_c hive_ref=system.reg ;;
esac
volume="$work/disk.img@@1048576"  # the partition init --disk makes
sync_disk() { [ "$machine" = disk ] && python3 "$e2e_dir/disk_sync.py" "$1" "$volume" "$work/img"; }
crosscheck() {
  [ "$machine" != prefix ] && [ -d "$work/img" ] || return 0
  python3 "$e2e_dir/creg_crosscheck.py" "$cli" "$work/img" ||
    fail "the hives do not read back the same through cregexport"
}
# A new default machine image in $work/img.
fresh() {
  crosscheck
  rm -rf "$work/img" "$work/disk.img"
  "$cli" init $init_option "$image_path" >/dev/null || { echo "init failed"; exit 1; }
  sync_disk pull
}
run() {
  sync_disk push
  "$cli" "$image_option" "$image_path" "$@"
  local rc=$?
  sync_disk pull
  return $rc
}
# Runs a file of volnrx-cli commands: its standard output in `out` (message boxes go to standard
# error as well); any exit status but 0 is a failure.
run_script() {  # SCRIPT
  out=$(run -f "$1" 2>/dev/null)
  local rc=$?
  [ "$rc" = 0 ] || fail "$(basename "$1"): exit status $rc"
}
# The message boxes of a run's output (standard input): each from its "message:" line to the
# line that ends with its buttons and icon, the text's line breaks in between.
messages() {
  awk '/^message: /{m=1} m{print} m && / \| (none|error|question|warning|information)$/{m=0}'
}
# Every file's bytes, every entry's mode and the DOS attributes Wine keeps in user.DOSATTRIB, of
# the entries of DIR that pass the find tests.
tree_sum() {  # DIR [FIND-TESTS...]
  local dir=$1; shift
  (cd "$dir" && find . "$@" -type f -print0 | sort -z | xargs -0 sha256sum &&
     find . "$@" -print0 | sort -z | xargs -0 stat -c '%n %a %s' &&
     find . "$@" -print0 | sort -z | xargs -0 -n 50 getfattr -h -d -m user.DOSATTRIB 2>/dev/null)
}
# The same without the registry files and the 9x hives' safety copies (compared through reg
# query instead).
files_sum() { tree_sum "$1" ! -name '*.reg' ! -iname '*.dat' ! -iname '*.vx[0-9]'; }
# A file of the image by its Windows path below C:\, matched without regard to letter case.
find_file() { find "$drive" -ipath "$drive/$1" 2>/dev/null | head -1; }
# Ends the script: a summary line and the exit status.
finish() {  # what passed
  crosscheck
  if [ "$failures" -ne 0 ]; then echo "$1: $failures failure(s)"; exit 1; fi
  echo "$1: all passed"
  exit 0
}
