#!/usr/bin/env bash
# volnrx.exe on a fresh prefix in Windows 98 mode without C:\Autoexec.bat, as many Windows 98
# and ME machines are: the window opens without a message box, and OK applies every page and
# closes it without an error box and without making the file (its box loads unchecked).
set -uo pipefail
source "$(dirname "$0")/own-prefix-lib.sh"
own_prefix
wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1
source "$(dirname "$0")/gui-lib.sh"
install_app
rm -f "$autoexec"
trap cleanup EXIT  # install_app's own trap would leave this prefix behind
batch_file() { find "$WINEPREFIX/drive_c" -maxdepth 1 -iname autoexec.bat | head -1; }

check "the main window appears" start_app
sleep 2  # load-all has shown its boxes by now, if any
box=$(probe msgbox)
printf 'box: %s\n' "$box"
check "no message box at start" test -z "$box"

click_probe button "OK"
boxes=$(answer_boxes "$app_pid" 30)
printf '%s\n' "$boxes"
check "OK closes the window" pid_gone "$app_pid"
check "no error box on OK" test -z "$(grep -i 'Cannot\|Unable' <<<"$boxes")"
stop_app "$app_pid" 5
check "no Autoexec.bat made for an unchecked box" test -z "$(batch_file)"
exit $fail
