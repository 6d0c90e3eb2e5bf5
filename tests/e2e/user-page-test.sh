#!/usr/bin/env bash
# volnrx-cli over fresh machine images: the User page's registration data and fault log written
# and read back, the fault log's open button, and the command line (Enter, the Run button, the
# open-file dialog, a program the image does not hold).
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
version='HKLM\Software\Microsoft\Windows\CurrentVersion'

fresh
run reg add "$version" /v RegisteredOwner /t REG_SZ /d "Пётр" /f >/dev/null
cat > "$work/user.txt" <<'SCRIPT'
page 7
dump edtCurrentUser
dump cbErrorFileYes
dump spbtnErrorFileRun
type edtCurrentUser Анна
type edtCurrentOrganisation ООО "Ромашка"
check cbErrorFileYes on
dump spbtnErrorFileRun
apply
SCRIPT
run_script "$work/user.txt"
expect_has "owner loaded" "edtCurrentUser.text=Пётр" "$out"
expect_has "fault log caption" 'cbErrorFileYes.text=Протокол ошибок C:\WINDOWS\FAULTLOG.TXT' "$out"
expect_has "no fault log on a fresh image" "cbErrorFileYes.checked=0" "$out"
expect_has "open button hidden, then shown" "spbtnErrorFileRun.visible=0" "$out"
expect_has "open button shown" "spbtnErrorFileRun.visible=1" "$out"
expect_not "no error box" "message:" "$out"
q=$(run reg query "$version")
expect_has "owner written" "RegisteredOwner    REG_SZ    Анна" "$q"
expect_has "organisation written" 'RegisteredOrganization    REG_SZ    ООО "Ромашка"' "$q"
q=$(run reg query "$version\\Fault")
expect_has "fault log written" 'LogFile    REG_SZ    C:\WINDOWS\FAULTLOG.TXT' "$q"

# The open button: the file missing, then there.
out=$(run page 7 click spbtnErrorFileRun 2>&1)
expect_has "no fault log file" 'message: Volnerix | Не удается найти файл "FAULTLOG.TXT" ! | OK | information' "$out"
printf 'fault\r\n' > "$(find_file windows)/FAULTLOG.TXT"
out=$(run page 7 click spbtnErrorFileRun 2>&1)
expect_has "fault log opened" 'journal: ShellExecute open: C:\WINDOWS\FAULTLOG.TXT' "$out"
expect_not "opened without a message" "message:" "$out"

# Unchecked and applied: the key goes; the next start shows the box unchecked.
run page 7 check cbErrorFileYes off apply >/dev/null 2>&1
q=$(run reg query "$version\\Fault" 2>&1)
expect_not "Fault key removed" "LogFile" "$q"
out=$(run page 7 dump cbErrorFileYes dump spbtnErrorFileRun 2>&1)
expect_has "next start: unchecked" "cbErrorFileYes.checked=0" "$out"
expect_has "next start: button hidden" "spbtnErrorFileRun.visible=0" "$out"

# The command line: Enter in an empty edit does nothing; a program of the image starts with its
# arguments; the dialog fills the edit; a missing program names the whole text.
printf 'MZ' > "$(find_file windows)/NOTEPAD.EXE"
cat > "$work/run.txt" <<'SCRIPT'
page 7
key edtCommandLine enter
dump btnRunCommandLine
type edtCommandLine notepad C:\readme.txt
key edtCommandLine enter
pick-file C:\WINDOWS\NOTEPAD.EXE
click SeletTuOpen
dump edtCommandLine
click btnRunCommandLine
type edtCommandLine nosuch.exe /q
click btnRunCommandLine
SCRIPT
run_script "$work/run.txt"
expect_has "run disabled while empty" "btnRunCommandLine.enabled=0" "$out"
expect_has "started with its arguments" 'journal: CreateProcess: notepad C:\readme.txt' "$out"
expect_has "dialog fills the edit" 'edtCommandLine.text=C:\WINDOWS\NOTEPAD.EXE' "$out"
expect_has "picked program started" 'journal: CreateProcess: C:\WINDOWS\NOTEPAD.EXE' "$out"
expect_eq "missing program" 'message: Volnerix | Не удается найти файл "nosuch.exe /q" (или один из его компонентов).

Проверьте правильность указания имени файла и пути, а также наличие всех необходимых библиотек. | OK | question' "$(messages <<<"$out")"
[ "$(grep -c 'CreateProcess' <<<"$out")" = 3 ] || fail "Enter in an empty edit started something"

finish "user page"
