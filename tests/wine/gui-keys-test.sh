#!/usr/bin/env bash
# The main window from the keyboard under Wine and Xvfb, as a Windows 98 dialog box works: real
# key events to the window, the focused control read back after each. The focus starts on the
# first control of the page; Tab follows the buttons' tab order (Применить, Отмена, OK); the
# focused push button, or else OK, shows as the default one; Space keeps a check box's focus
# rectangle; the arrows move through a radio group and select; the focus comes back after the
# colour dialog and after a message box; Escape is "Отмена" and Enter "OK" wherever the focus is
# (Enter on a focused button presses that one).
set -uo pipefail
source "$(dirname "$0")/gui-lib.sh"
install_app

# A row: KEYS (xdotool key names, "-" for none) | the focused control's text ([class] when it
# has none) | checks after the keys, "PROBE-COMMAND[:ARGUMENT]=EXPECTED" separated by ";".
run_rows() {
  local row keys focus checks check_one command argument expected
  for row in "$@"; do
    IFS='|' read -r keys focus checks <<<"$row"
    # shellcheck disable=SC2086  # several keys in one row
    [ "$keys" = - ] || xdotool key --delay 150 $keys
    check "$keys: the focus is on $focus" wait_for 10 probe_says "$focus" focus
    IFS=';' read -ra check_list <<<"$checks"
    for check_one in "${check_list[@]}"; do
      expected=${check_one##*=}
      command=${check_one%=*}
      argument=""
      [[ $command == *:* ]] && { argument=${command#*:}; command=${command%%:*}; }
      if [ -n "$argument" ]; then
        check "$keys: $command $argument is $expected" wait_for 5 probe_says "$expected" "$command" "$argument"
      else
        check "$keys: $command is $expected" wait_for 5 probe_says "$expected" "$command"
      fi
    done
  done
}

start_app
first=$app_pid
sleep 0.5
check "it opens with no message box" no_message_box
data_cd="Автоматически запускать компакт-диски с данными"
run_rows \
  "-|Автоматически запускать аудио компакт-диски|default=OK" \
  "shift+Tab|OK|default=OK" \
  "shift+Tab|Отмена|default=Отмена" \
  "shift+Tab|Применить|default=Применить" \
  "shift+Tab|[SysTabControl32]|default=OK" \
  "Tab|Применить|default=Применить" \
  "Tab Tab|OK|default=OK" \
  "Tab|Автоматически запускать аудио компакт-диски|default=OK" \
  "Tab|$data_cd|default=OK"
# Space toggles the box; its caption keeps the focus rectangle it had (the same pixels).
before=$(probe checked "$data_cd")
after=$((1 - before))
shown=$(probe label-pixels "$data_cd")
run_rows "space|$data_cd|checked:$data_cd=$after"
check "after Space the caption shows its focus rectangle as before" \
  wait_for 5 probe_says "$shown" label-pixels "$data_cd"
run_rows "space|$data_cd|checked:$data_cd=$before"
check "after a second Space too" wait_for 5 probe_says "$shown" label-pixels "$data_cd"

# A radio group (page "Сервис"): the arrows move round it and select what they reach.
check "the Service page is shown" show_page 11
click_probe at "Стрелка"
run_rows \
  "-|Стрелка|checked:Стрелка=1" \
  "Down|Маленька стрелка|checked:Маленька стрелка=1;checked:Стрелка=0" \
  "Right|Нет|checked:Нет=1;checked:Маленька стрелка=0" \
  "Up|Маленька стрелка|checked:Маленька стрелка=1;checked:Нет=0" \
  "Left|Стрелка|checked:Стрелка=1" \
  "Up|Выбрать|checked:Выбрать=1;checked:Стрелка=0" \
  "Down|Стрелка|checked:Стрелка=1;checked:Выбрать=0"

# After the colour dialog (page "Цвет") the focus is back on the button that opened it.
check "the Colour page is shown" show_page 14
click_probe button "Выбрать..."
check "the colour dialog opens" wait_for 20 probe msgbox
probe press-ok
check "the colour dialog closes" wait_for 20 no_message_box
run_rows "-|Выбрать...|default=Выбрать..."

# After a message box (page "Пользователь": a command line that runs nothing) the focus is back
# in the command line.
check "the User page is shown" show_page 6
read -r x y < <(probe at "Командная строка:")  # the group's centre, ten points below the edit's
click_at "$x" "$((y - 10))"
focused=$(probe focus)
check "a click puts the focus into the command line (got: $focused)" test "$focused" = "[Edit]"
xdotool type --delay 50 "nosuch"
xdotool key Return
check "the not-found box appears" wait_for 20 probe msgbox
probe press-ok
check "the box closes" wait_for 20 no_message_box
run_rows "-|nosuch|default=OK"
click_probe button "Отмена"
stop_app "$first"

# Keys that end the program, each from a fresh start, after Space has unchecked "Кеширование
# пароля" (five Tabs from the first control): Отмена leaves the setting unstored, OK stores it.
# A row: KEYS to the control | its text | the key | cancel or ok.
network='HKLM\Software\Microsoft\Windows\CurrentVersion\Policies\Network'
stored() {
  timeout 60 "$wine" reg query "$network" /v DisablePwdCaching 2>/dev/null | tr -d '\r' |
    awk '$1 == "DisablePwdCaching" { print $3 }'
}
timeout 60 "$wine" reg delete "$network" /v DisablePwdCaching /f >/dev/null 2>&1
for row in \
  "-|Кеширование пароля|Escape|cancel" \
  "Tab Tab Tab|[SysTabControl32]|Escape|cancel" \
  "Tab Tab Tab Tab|Применить|Escape|cancel" \
  "-|Кеширование пароля|Return|ok" \
  "Tab Tab Tab Tab Tab|Отмена|Return|cancel"; do
  IFS='|' read -r keys focus key outcome <<<"$row"
  check "[$row] the program starts" start_app
  pid=$app_pid
  sleep 0.5
  xdotool key --delay 150 Tab Tab Tab Tab Tab space
  check "[$row] Space unchecks Кеширование пароля" wait_for 10 probe_says 0 checked "Кеширование пароля"
  # shellcheck disable=SC2086
  [ "$keys" = - ] || xdotool key --delay 150 $keys
  check "[$row] the focus is on $focus" wait_for 10 probe_says "$focus" focus
  xdotool key "$key"
  if [ "$outcome" = cancel ]; then
    check "[$row] $key ends the program as Отмена does, with no box" wait_for 20 pid_gone "$pid"
    stop_app "$pid" 1
    check "[$row] nothing was stored" test -z "$(stored)"
  else
    check "[$row] $key ends the program as OK does" answer_boxes "$pid" 60
    stop_app "$pid" 1
    check "[$row] the unchecked box was stored" test -n "$(stored)"
    timeout 60 "$wine" reg delete "$network" /v DisablePwdCaching /f >/dev/null 2>&1
  fi
done
exit $fail
