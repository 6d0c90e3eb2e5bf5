# Helpers of the GUI tests under Wine and Xvfb (sourced by tests/wine/gui-*test.sh).
: "${VLX_WIN_BUILD:?}" "${WINEPREFIX:?}" "${DISPLAY:?}"
wine=${VLX_WINE:-wine}
probe_exe="$VLX_WIN_BUILD/tests/gui_probe.exe"
shots="$VLX_WIN_BUILD/gui-screenshots"
app="$WINEPREFIX/drive_c/Volnerix"
mkdir -p "$shots"
fail=0
source "$(dirname "${BASH_SOURCE[0]}")/wine-version-lib.sh"
exit_commands=()
on_exit() { exit_commands+=("$1"); }  # on_exit COMMAND: runs COMMAND when the script ends
run_exit_commands() { local c; for c in "${exit_commands[@]}"; do eval "$c" || true; done; }
trap run_exit_commands EXIT
no_message_box() { [ -z "$(probe msgbox)" ]; }
check() {  # check DESCRIPTION CONDITION...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; fail=1; fi
}
wait_for() {  # wait_for SECONDS COMMAND...: until the command succeeds
  local limit=$1; shift
  for _ in $(seq $((limit * 5))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.2; done
  return 1
}
pid_alive() { kill -0 "$1" 2>/dev/null; }
pid_gone() { ! kill -0 "$1" 2>/dev/null; }
probe() { timeout 30 "$wine" "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }
# The probe's output for a read that always has some, asked again while it comes back empty: a
# probe started under heavy load has printed nothing.
probe_output() {
  local out="" try
  for try in 1 2 3 4 5; do
    out=$(probe "$@")
    [ -n "$out" ] && break
    sleep 1
  done
  printf '%s\n' "$out"
}
probe_says() {  # probe_says EXPECTED COMMAND...: the probe prints EXPECTED
  local expected=$1; shift
  test "$(probe "$@")" = "$expected"
}
click_at() { xdotool mousemove "$1" "$2" click 1; }
click_probe() {  # click_probe PROBE-COMMAND...: a real click where the probe points
  local x y
  read -r x y < <(probe "$@") || return 1
  click_at "$x" "$y"
}
show_page() {  # show_page INDEX: a click on the tab, then until the page is the shown one
  click_probe tab "$1" && wait_for 15 probe_says "$1" cursel
}
# The program with both libraries in a fresh folder of the prefix.
install_app() {
  # Wine draws the caption itself (with our "?" button) when it does not hand it to a window
  # manager.
  timeout 60 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  # The forms are laid out for Tahoma; Wine's own Tahoma and caption-button font (fonts-wine) are
  # found only in the prefix's Fonts folder.
  local font
  for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
    [ -f "/usr/share/wine/fonts/$font" ] && cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
  # A Windows 98 boot drive has an Autoexec.bat, which load-all and apply-all read; a fresh
  # prefix has none. One made here goes again when the script ends.
  autoexec="$WINEPREFIX/drive_c/autoexec.bat"
  if [ ! -e "$autoexec" ]; then
    : >"$autoexec"
    on_exit 'rm -f "$autoexec"'
  fi
  rm -rf "$app"; mkdir -p "$app"
  cp "$VLX_WIN_BUILD/volnrx.exe" "$VLX_WIN_BUILD/vlximg.dll" "$VLX_WIN_BUILD/vxeject.dll" "$app/"
}
start_app() {  # start_app: runs the program in the background, its pid in $app_pid
  timeout 300 "$wine" "$app/volnrx.exe" >/dev/null 2>&1 &
  app_pid=$!
  wait_for 60 probe cursel
}
stop_app() {  # stop_app PID: waits for the program to end, ends it when it hangs on
  local gone=0
  wait_for "${2:-20}" pid_gone "$1" || gone=1
  if [ $gone -ne 0 ]; then
    kill "$1" 2>/dev/null
    timeout 10 "$wine" "$probe_exe" press-ok >/dev/null 2>&1
  fi
  wait "$1" 2>/dev/null
  return $gone
}
answer_boxes() {  # answer_boxes PID SECONDS: presses OK on each message box until the program ends
  local pid=$1 box
  for _ in $(seq $(($2 * 2))); do
    pid_gone "$pid" && return 0
    box=$(probe msgbox) && [ -n "$box" ] && { printf 'box: %s\n' "$box"; probe press-ok; }
    sleep 0.5
  done
  pid_gone "$pid"
}
