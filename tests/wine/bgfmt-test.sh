#!/usr/bin/env bash
# bgfmt under Wine: with a stand-in FORMAT.COM on the path (it records its parameter text) and
# without one (the warning box).
source "$(dirname "$0")/glasslbl-bgfmt-lib.sh"
exe=$build/bgfmt/bgfmt.exe
stub_dir=$(winepath -w "$build/bgfmt/format-stub")
log=$work/format.log
export VLX_FORMAT_LOG
VLX_FORMAT_LOG=$(winepath -w "$log")

check_program_file "$exe"

# removable LETTER...: exactly these drive letters (lower case) are removable drives.
removable() {
  local letter
  for letter in a b d; do
    rm -f "$WINEPREFIX/dosdevices/$letter:"
    wine reg delete 'HKLM\Software\Wine\Drives' /v "$letter:" /f >/dev/null 2>&1 || true
  done
  for letter in "$@"; do
    mkdir -p "$work/disk-$letter"
    ln -s "$work/disk-$letter" "$WINEPREFIX/dosdevices/$letter:"
    wine reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d floppy /f >/dev/null 2>&1
  done
  # The mount manager reads the drives when it starts: restart the prefix's server.
  wineserver -k && wineserver -w
  wineserver -p
}
organisation() {
  wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v RegisteredOrganization \
    /d "$1" /f >/dev/null 2>&1
}
# started ARGUMENTS: runs bgfmt with the stub on the path and prints the probe's report; the
# stub's parameter text (UTF-8) is then in $log.txt.
started() {
  rm -f "$log" "$log.txt"
  WINEPATH=$stub_dir probe run "$exe" "$1"
  for _ in $(seq 150); do [ -e "$log" ] && break; sleep 0.1; done
  if [ -e "$log" ]; then iconv -f CP1251 -t UTF-8 "$log" >"$log.txt"; fi
}
parameters_are() {
  [ -e "$log.txt" ] && [ "$(cat "$log.txt")" == "$1" ] ||
    { echo "    FORMAT.COM got: $(cat "$log.txt" 2>/dev/null || echo '<not started>')"; false; }
}
expect_parameters() {  # WHAT ARGUMENTS TEXT
  local report; report=$(started "$2")
  check "$1: exit code 0" has "$report" "exit=0"
  check "$1: no message, no window" quiet "$report"
  check "$1: FORMAT.COM gets [$3]" parameters_are "$3"
}

organisation 'ООО «Ромашка»'
removable a
expect_parameters "removable A:, Cyrillic organisation" "" 'A: /V:"ООО «Ромашка»" /U'
expect_parameters "arguments ignored" "/X B: /U" 'A: /V:"ООО «Ромашка»" /U'
removable b
expect_parameters "only B: removable" "" 'B: /V:"ООО «Ромашка»" /U'
removable a d
expect_parameters "A: and D: removable" "" 'A: /V:"ООО «Ромашка»" /U'
removable
expect_parameters "no removable drive" "" ''
removable a
wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v RegisteredOrganization /f \
  >/dev/null 2>&1
expect_parameters "no organisation name" "" 'A: /V:"" /U'

# bgfmt does not wait for FORMAT.COM: the stub only writes after bgfmt has ended.
rm -f "$log"
report=$(VLX_FORMAT_DELAY=4000 WINEPATH=$stub_dir probe run "$exe")
check "returns at once: exit code 0" has "$report" "exit=0"
check "returns at once: FORMAT.COM still running" [ ! -e "$log" ]
for _ in $(seq 150); do [ -e "$log" ] && break; sleep 0.1; done
check "returns at once: FORMAT.COM finished later" [ -e "$log" ]

# Without FORMAT.COM anywhere on the path: the warning, and nothing else.
report=$(probe run "$exe")
check "no FORMAT.COM: warning box" has "$report" \
  'box title=Background formatting text=Невозможно начать форматирование дискеты !\r\rВозможно, программа форматирования дискет (Format.com) не\rустановлена или была удалена. buttons=ОК icon=yes'
check "no FORMAT.COM: exit code 0" has "$report" "exit=0"
check "no FORMAT.COM: one box only" [ "$(grep -cE '^(box|window)' <<<"$report")" == 1 ]

finish
