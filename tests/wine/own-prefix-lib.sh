# Sourced by the Wine tests that make a throwaway prefix of their own: the environment, the work
# folder, the prefix below it and the clean-up when the script ends.
#   own_prefix          creates the prefix and starts its wineserver once (-p)
#   stop_wine           stops the prefix's wineserver and waits until it has written its files
#   on_exit COMMAND     runs COMMAND at the end, before the work folder goes
# The prefix shows programs Windows 98 (VLX_WINE_VERSION, as the shared prefix of the runner).
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export LC_ALL=ru_RU.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
work=$(mktemp -d)
export WINEPREFIX=$work/prefix
exit_commands=()

source "$(dirname "${BASH_SOURCE[0]}")/wine-version-lib.sh"
stop_wine() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }
on_exit() { exit_commands+=("$1"); }
cleanup() {
  stop_wine
  local command
  for command in "${exit_commands[@]}"; do eval "$command" || true; done
  rm -rf "$work"
}
trap cleanup EXIT

own_prefix() {
  mkdir -p "$WINEPREFIX"
  wineserver -p
  wineboot -i >/dev/null 2>&1 </dev/null || { echo "wineboot failed"; exit 1; }
  set_windows_version "${VLX_WINE_VERSION:-win98}"
}
