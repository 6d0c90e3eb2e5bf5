#!/usr/bin/env bash
# volnrx.exe in a real window under Wine and Xvfb, as on Windows 98: it shows its window with no
# message box, every page is reached by real clicks on its tab and loads with none (a screenshot
# of each lands in the build tree; no control overlaps another or reaches out of its page or
# group), Ctrl+Tab, Ctrl+Shift+Tab and Ctrl+PgDn/PgUp step through the pages, a second copy
# brings the first to the front and ends with 0, "Отмена" ends the process, and without vlximg.dll the
# message box appears and OK ends the program.
set -uo pipefail
source "$(dirname "$0")/gui-lib.sh"
install_app

timeout 300 "$wine" "$app/volnrx.exe" >/dev/null 2>&1 &
first=$!
check "the main window appears" wait_for 60 probe cursel
sleep 0.5
check "it opens with no message box (load-all ran through)" no_message_box
check "the first page shown is Общие (tab 9)" probe_says 8 cursel
for i in $(seq 0 16); do
  read -r x y < <(probe tab "$i")
  xdotool mousemove "$x" "$y" click 1
  check "page $((i + 1)) shown by a click on its tab" wait_for 15 probe_says "$i" cursel
  sleep 0.3
  check "page $((i + 1)) loads with no message box" no_message_box
  import -window root "$shots/page-$(printf %02d $((i + 1))).png" 2>/dev/null
  overlaps=$(probe overlaps | tail -n 1)
  check "page $((i + 1)): no control overlaps another" test "${overlaps:-1}" = 0
  cut=$(probe cut)
  check "page $((i + 1)): no control is cut off by its page or group" test "$(tail -n 1 <<<"$cut")" = 0
  grep '^cut:' <<<"$cut"
done

# The keyboard steps through the pages from the last one shown (tab 17), wrapping round.
for step in "ctrl+Tab 0" "ctrl+shift+Tab 16" "ctrl+Prior 15" "ctrl+Next 16" "ctrl+Next 0"; do
  read -r keys page <<<"$step"
  xdotool key "$keys"
  check "$keys shows tab $((page + 1))" wait_for 10 probe_says "$page" cursel
done

probe minimize
timeout 60 "$wine" "$app/volnrx.exe" >/dev/null 2>&1
second=$?
check "a second copy ends with exit code 0" test "$second" = 0
check "the first copy still runs" pid_alive "$first"
check "the first window is restored from minimised" wait_for 10 probe_says 0 iconic
check "the first window comes to the front" wait_for 10 probe_says 1 foreground

read -r x y < <(probe button "Отмена")
xdotool mousemove "$x" "$y" click 1
check "Отмена ends the process" wait_for 20 pid_gone "$first"
wait "$first" 2>/dev/null

# Without the image library: the message box, then OK ends the program.
rm -f "$app/vlximg.dll"
timeout 120 "$wine" "$app/volnrx.exe" >/dev/null 2>&1 &
lonely=$!
check "the missing-library box appears" wait_for 60 probe msgbox
box=$(probe msgbox)
printf 'box: %s\n' "$box"
import -window root "$shots/missing-vlximg.png" 2>/dev/null
expected='Volnerix | Файл "vlximg.dll" не найден в каталоге с программой !\r\rРабота программы будет прервана без согласия пользователя.\rДля устранения неполадки переустановите "Volnerix"\rили достаньте из дистрибутива файл "vlximg.dll" и поместите в\rкаталог с программой.'
check "the exact box: title Volnerix and the vlximg.dll text" test "$box" = "$expected"
probe press-ok
check "OK ends the program" wait_for 30 pid_gone "$lonely"
wait "$lonely" 2>/dev/null
echo "screenshots: $shots"
exit $fail
