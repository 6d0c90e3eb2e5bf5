#!/usr/bin/env bash
# volnrx-cli on a fresh Wine prefix as wineboot makes it (Windows 98 mode), with the program's
# folder in it: a dry run of load-all then apply-all lists only the absent two-state values the
# pages write in the state shown (no desktop-icons policy: there is no shell desktop to read, and
# the stored policy says the icons are shown), makes no empty key and shows no message box; the
# apply changes nothing that was there.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/fresh_apply_lib.sh"
[ "$machine" = prefix ] || exit 77
command -v wineboot >/dev/null || { echo "no wineboot: skipped"; exit 77; }
export WINEPREFIX=$work/img WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
on_exit() { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; }
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1 </dev/null || { echo "wineboot failed: skipped"; exit 77; }
wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1 </dev/null
wineserver -w
"$cli" init "$work/setup" >/dev/null || { echo "init failed"; exit 1; }
mkdir -p "$WINEPREFIX/drive_c/Program Files"
cp -r "$work/setup/drive_c/Program Files/Volnerix" "$WINEPREFIX/drive_c/Program Files/"

fresh_apply_check "fresh Wine prefix" '"PaintDesktopVersion"="0"
"Link"=hex:01,00,00,00
"ClassicViewState"=dword:00000000
"DontPrettyPath"=dword:00000000
"Hidden"=dword:00000000
"HideFileExt"=dword:00000001
"ShowInfoTip"=dword:00000001
@=""
"UpdateMode"=hex:00,00,00,00'

finish "fresh Wine prefix load and apply"
