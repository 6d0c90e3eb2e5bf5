#!/usr/bin/env bash
# A short run of volnrx.exe with Wine showing Windows ME (4.90): the window opens with no
# message box, the information page names Windows ME, and "Отмена" ends the program. The shared
# prefix goes back to the runner's version when the script ends.
set -uo pipefail
source "$(dirname "$0")/gui-lib.sh"
install_app
set_windows_version winme
on_exit 'set_windows_version "${VLX_WINE_VERSION:-win98}"'

check "the main window appears" start_app
sleep 0.5
check "it opens with no message box" no_message_box
check "the information page is shown" show_page 15
check "the information page loads with no message box" no_message_box
sleep 0.3
import -window root "$shots/me-information.png" 2>/dev/null
platform=$(probe children Информация | head -n1)
printf 'platform: %s\n' "$platform"
check "the platform line names Windows ME and DOS 8.00" \
  test "$platform" = $'Платформа: \tMicrosoft Windows ME and DOS 8.00'
click_probe button "Отмена"
check "Отмена ends the program" stop_app "$app_pid"
exit $fail
