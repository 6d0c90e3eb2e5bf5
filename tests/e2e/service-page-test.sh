#!/usr/bin/env bash
# volnrx-cli over fresh machine images: the Service page's shortcut overlay (stored values, the
# icon picker, the icon cache rebuilt after a change) and the Autoexec.bat clean-up line (matched
# without regard to case, removed, appended, the file left read-only; a missing file, one that
# cannot be read, and an unnamed temporary folder).
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/file_attributes.sh"
icons='HKLM\Software\Microsoft\Windows\CurrentVersion\explorer\Shell Icons'
library='C:\Program Files\Volnerix\vlximg.dll'
line='DELTREE /y C:\WINDOWS\TEMP\*.*'

# A stored "no arrow" overlay selects its button; the own icon through the picker is written
# back and the icon cache is rebuilt once.
fresh
run reg add "$icons" /v 29 /t REG_SZ /d "$library,8" /f >/dev/null
cat > "$work/overlay.txt" <<'SCRIPT'
page 12
dump rbShotcuts3
dump btnShotcutBrowse
check rbShotcuts4 on
pick-icon C:\WINDOWS\SYSTEM\COOL.DLL,5
click btnShotcutBrowse
apply
apply
SCRIPT
run_script "$work/overlay.txt"
expect_has "no arrow selected" "rbShotcuts3.checked=1" "$out"
expect_has "browse disabled" "btnShotcutBrowse.enabled=0" "$out"
expect_has "picker opened" "journal: PickIconDlg C:\WINDOWS\SYSTEM\COOL.DLL,5" "$out"
expect_not "no error box" "message:" "$out"
refreshes=$(grep -c 'Shell Icon Size\|SendMessageTimeout' <<<"$out")
[ "$refreshes" = 2 ] || fail "icon cache rebuilt by the first apply only: $refreshes broadcasts"
q=$(run reg query "$icons" /v 29)
expect_has "own icon written" '29    REG_SZ    C:\WINDOWS\SYSTEM\COOL.DLL,5' "$q"
out=$(run page 12 check rbShotcuts1 on apply 2>&1)
q=$(run reg query "$icons" 2>&1)
expect_not "standard arrow removes the value" "29" "$q"

# Autoexec.bat: the line in small letters loads checked; unchecking removes it, and the file
# keeps its other lines and ends read-only.
fresh
batch=$(find_file autoexec.bat)
before=$(cat "$batch")
printf '%s\r\nrem\n%s\r\n' "$(cat "$batch" | tr -d '\r')" 'deltree /Y c:\windows\temp\*.*' > "$batch.new"
mv "$batch.new" "$batch"
out=$(run page 12 dump cbAutoClearTempFolder check cbAutoClearTempFolder off apply 2>&1)
expect_has "line found without regard to case" "cbAutoClearTempFolder.checked=1" "$out"
expect_eq "line removed, CR LF kept" "$(printf '%s\n' "$before" | tr -d '\r'; echo rem)" \
  "$(tr -d '\r' < "$batch")"
[ "$(grep -c $'\r$' "$batch")" = "$(wc -l < "$batch")" ] || fail "not every line ends in CR LF"
expect_eq "read-only after apply" "R--" "$(attributes "$batch")"
out=$(run page 12 check cbAutoClearTempFolder on apply dump cbAutoClearTempFolder 2>&1)
expect_eq "line appended last" "$line" "$(tail -n 1 "$batch" | tr -d '\r')"
out=$(run page 12 dump cbAutoClearTempFolder apply 2>&1)
expect_has "next start: checked" "cbAutoClearTempFolder.checked=1" "$out"
[ "$(grep -c 'DELTREE' "$batch")" = 1 ] || fail "a second line was appended"

# No Autoexec.bat (as on many machines): the box loads unchecked without a word, load-all and
# apply-all run to their end, and the unchecked box makes no file; checked, it makes one that
# holds just the line, read-only.
rm -f "$batch"
out=$(run page 12 dump cbAutoClearTempFolder apply 2>&1)
expect_not "missing file: no message box" "message:" "$out"
expect_has "missing file: unchecked" "cbAutoClearTempFolder.checked=0" "$out"
expect_has "apply-all reached the broadcast" "journal: SendMessage HWND_BROADCAST WM_WININICHANGE 0 0" "$out"
[ -z "$(find_file autoexec.bat)" ] || fail "an unchecked box created Autoexec.bat"
out=$(run ok dump cbAutoClearTempFolder 2>&1)
expect_not "missing file: OK without a message box" "message:" "$out"
expect_not "missing file: OK closes the window (nothing runs after it)" "cbAutoClear" "$out"
[ -z "$(find_file autoexec.bat)" ] || fail "OK with an unchecked box created Autoexec.bat"
out=$(run page 12 check cbAutoClearTempFolder on apply 2>&1)
expect_not "checked, no file: no message box" "message:" "$out"
batch=$(find_file autoexec.bat)
if [ -z "$batch" ]; then
  fail "a checked box made no Autoexec.bat"
else
  expect_eq "the new file holds just the line" "$(printf '%s\r\n' "$line" | od -c)" "$(od -c < "$batch")"
  expect_eq "the new file is read-only" "R--" "$(attributes "$batch")"
fi
# A file that is there but cannot be read still says so. (The disk image's copy-back cannot put a
# folder where a file was.)
if [ "$machine" != disk ]; then
  rm -f "$batch"
  mkdir "$drive/Autoexec.bat"
  out=$(run page 12 apply 2>&1)
  expect_has "unreadable file" 'message: Volnerix | Cannot open file C:\Autoexec.bat. | OK | error' "$out"
  rmdir "$drive/Autoexec.bat"
fi

# The system cannot name the temporary folder: the box is disabled and no line is written.
fresh
run reg add 'HKCU\Environment' /v TEMP /t REG_SZ /d TEMP /f >/dev/null
batch=$(find_file autoexec.bat)
before=$(cat "$batch")
out=$(run page 12 dump cbAutoClearTempFolder dump lbDescriptionsAutoClear apply 2>&1)
expect_has "box disabled" "cbAutoClearTempFolder.enabled=0" "$out"
expect_has "explained" "автоочистка недоступна" "$out"
expect_eq "file unchanged" "$before" "$(cat "$batch")"

finish "service page"
