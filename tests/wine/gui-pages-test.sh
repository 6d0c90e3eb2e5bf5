#!/usr/bin/env bash
# Pages of volnrx.exe used with real input under Wine and Xvfb: context help through the "?"
# caption button, the owner-drawn colour boxes, picking a screen pixel's colour by dragging from
# the cursor box, the system information page against what Wine (as Windows 98) and this machine report, and a
# Start menu setting stored by "OK" and shown again at the next start.
set -uo pipefail
source "$(dirname "$0")/gui-lib.sh"
install_app

explorer_policies='HKLM\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer'
run_item='Пункт "Выполнить"'
timeout 60 "$wine" reg delete "$explorer_policies" /v NoRun /f >/dev/null 2>&1

check "the main window appears" start_app
first=$app_pid

# Context help: the "?" button, then a click on "Редактирование Реестра" (help number 14). A
# stand-in for the help system receives what WinHelp sends; the click does not reach the box.
help_log=$(mktemp)
timeout 60 "$wine" "$probe_exe" help-server 30 >"$help_log" 2>/dev/null &
helper=$!
wait_for 20 grep -q ready "$help_log"
before=$(probe checked "Редактирование Реестра")
click_probe help-button
sleep 0.3
click_probe at "Редактирование Реестра"
wait "$helper"
popup=$(tr -d '\r' <"$help_log" | grep '^8 ')
printf 'help: %s\n' "$popup"
check "context help asks for the popup of topic 14 in volnrx.hlp" \
  test "$popup" = "8 14 C:\\Volnerix\\volnrx.hlp"
check "the click in context-help mode leaves the box as it was" \
  probe_says "$before" checked "Редактирование Реестра"
rm -f "$help_log"

# The fatal-error screen's colour boxes draw each item as the page describes it: a swatch of the
# item's colour from x = left + 2 to the fixed x = 24, outlined in black, then the text.
check "the fatal-error screen page is shown" show_page 2
check "the background box's swatch is blue (Синий)" probe_says "0 0 255" next-pixel "Цвет фона:" 12 9
check "the text box's swatch is white (Белый)" probe_says "255 255 255" next-pixel "Цвет текста:" 12 9
check "the swatch's black outline ends at x = 24" probe_says "0 0 0" next-pixel "Цвет фона:" 23 9

# Sliders: the menu delay ticks every second (six ticks over 0..5000) and pages by half a second;
# the desktop colour sliders draw no ticks.
check "the Start menu page is shown" show_page 3
check "menu delay slider: 6 ticks, page size 500" probe_says "6 500" sliders
check "the desktop page is shown" show_page 4
sliders=$(probe sliders)
check "colour sliders: no ticks" test "$(cut -d' ' -f1 <<<"$sliders" | tr '\n' ' ')" = "0 0 0 "

# The colour picker: press on the cursor box, drag to a painted square, let go.
check "the colour page is shown" show_page 14
paint_log=$(mktemp)
timeout 60 "$wine" "$probe_exe" paint 64 255 128 20 20 60 60 30 >"$paint_log" 2>/dev/null &
painter=$!
wait_for 20 grep -q ready "$paint_log"
read -r x y < <(probe image)
xdotool mousemove "$x" "$y" mousedown 1
sleep 0.3
xdotool mousemove 300 600
sleep 0.3
xdotool mousemove 50 50
sleep 0.3
import -window root "$shots/colour-picking.png" 2>/dev/null
xdotool mouseup 1
check "TCOLOR of the picked pixel" wait_for 10 probe_says '$0080FF40' next-text TCOLOR
check "HTML of the picked pixel" probe_says '#40FF80' next-text HTML
check "RGB of the picked pixel" probe_says '64 255 128' next-text RGB
check "the status says the colour is found" wait_for 5 probe at "Цвет определен !"
kill "$painter" 2>/dev/null; wait "$painter" 2>/dev/null; rm -f "$paint_log"

# System information: Wine's version and this machine's memory, in MB of 1024417 bytes.
check "the information page is shown" show_page 15
sleep 0.5
import -window root "$shots/information.png" 2>/dev/null
# Wine as Windows 98 reports version 4.10 with the service-pack text " A ": the SE edition,
# which carries MS-DOS 7.10.
platform=$(probe_output children Информация | head -n1)
printf 'platform: %s
' "$platform"
check "the platform line names Windows 98 SE and DOS 7.10" \
  test "$platform" = $'Платформа: 	Microsoft Windows 98 SE and DOS 7.10'
mb() { echo $(( $1 * 1024 / 1024417 )); }
meminfo() { awk -v k="$1:" '$1 == k { print $2 }' /proc/meminfo; }
ram=$(probe_output children "Физическая память:")
pagefile=$(probe_output children "Файл подкачки:")
virtual=$(probe_output children "Виртуальная память:")
printf '%s\n' "$ram" "$pagefile" "$virtual"
check "total physical memory as /proc/meminfo gives it" \
  test "$(sed -n 1p <<<"$ram")" = "$(printf 'Всего: \t\t\t%s МБ ОЗУ' "$(mb "$(meminfo MemTotal)")")"
free=$(sed -n 2p <<<"$ram" | grep -o '[0-9]\+')
available=$(mb "$(meminfo MemAvailable)")
check "free physical memory near MemAvailable ($available МБ)" \
  test "${free:-0}" -gt $((available * 9 / 10)) -a "${free:-0}" -lt $((available * 11 / 10 + 2))
load=$(sed -n 3p <<<"$ram" | grep -o '[0-9]\+')
check "the memory load is a percentage" test "${load:-999}" -le 100
check "total page file: memory and swap" \
  test "$(sed -n 1p <<<"$pagefile")" = \
  "$(printf 'Всего: \t\t\t%s МБ' "$(mb $(( $(meminfo MemTotal) + $(meminfo SwapTotal) )))")"
check "virtual memory beyond 2 GB shows whole, not negative" \
  grep -qE $'^Всего: \t\t\t[0-9]{4,} МБ$' <<<"$virtual"

# "Пункт "Выполнить"" unchecked by a click; "OK" stores NoRun and ends the program.
check "the Start menu page is shown" show_page 3
check "the Run item starts checked" probe_says 1 checked "$run_item"
click_probe at "$run_item"
check "a click unchecks it" wait_for 5 probe_says 0 checked "$run_item"
click_probe button "OK"
# Apply may report what it left alone (this build's library carries no real drivers).
check "OK ends the program once its messages are answered" answer_boxes "$first" 60
stop_app "$first" 1
stored=$(timeout 60 "$wine" reg query "$explorer_policies" /v NoRun 2>/dev/null | tr -d '\r' |
  awk '$1 == "NoRun" { print $2, $3 }')
check "NoRun is stored as REG_BINARY 01000000 (got: $stored)" test "$stored" = "REG_BINARY 01000000"
check "the program starts again" start_app
again=$app_pid
check "the Start menu page is shown again" show_page 3
check "the Run item shows unchecked at the next start" probe_says 0 checked "$run_item"
click_probe button "Отмена"
stop_app "$again"
timeout 60 "$wine" reg delete "$explorer_policies" /v NoRun /f >/dev/null 2>&1
exit $fail
