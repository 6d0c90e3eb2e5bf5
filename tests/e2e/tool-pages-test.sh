#!/usr/bin/env bash
# volnrx-cli over fresh machine images: the uninstall entries (list, change, new entries named
# after a pinned local time, delete with No and Yes, the uninstaller run) and a File Killer
# delete of a file in use, scheduled for the next start.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
holder=""
on_exit() { [ -n "$holder" ] && kill "$holder" 2>/dev/null; }
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
items() { grep -E '^lstProgramms\.item\['; }

# The list: descriptions of the image's entries, sorted.
fresh
out=$(run page 1 dump lstProgramms | items)
expect_eq "listed entries" 'lstProgramms.item[0]=ArcTool 3.0 — архиватор
lstProgramms.item[1]=Блокнот+ 2.1
lstProgramms.item[2]=Просмотр фотографий PhotoView 1.5' "$out"

# Change: the dialog holds the entry, OK writes both values and the list is rebuilt.
cat > "$work/change.txt" <<'SCRIPT'
page 1
select lstProgramms 0
menu nChange
dump txtUnstr
type txtDn ArcTool 3.1
type txtUnstr C:\ARC\UNINST.EXE /x
click btnChange
dump lstProgramms
SCRIPT
out=$(run -f "$work/change.txt"); rc=$?
expect_eq "change: exit status" 0 "$rc"
expect_eq "change: the dialog showed the command" 'txtUnstr.text=C:\PROGRA~1\ARCTOOL\UNINSTAL.EXE' \
  "$(grep '^txtUnstr.text=' <<<"$out")"
expect_eq "change: list rebuilt" 'lstProgramms.item[0]=ArcTool 3.1
lstProgramms.item[1]=Блокнот+ 2.1
lstProgramms.item[2]=Просмотр фотографий PhotoView 1.5' "$(items <<<"$out")"
expect_eq "change: registry" '
HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\ArcTool
    DisplayName    REG_SZ    ArcTool 3.1
    UninstallString    REG_SZ    C:\ARC\UNINST.EXE /x' "$(run reg query "$key\\ArcTool")"

# New entries: the key name comes from the local time, numbers without leading zeros.
new_entry() {  # local time, description
  VOLNRX_LOCAL_TIME="$1" run page 1 select lstProgramms 0 menu nNew type txtDn "$2" \
    type txtUnstr 'C:\NEW\UNINST.EXE' key txtUnstr enter dump lstProgramms | items
}
out=$(new_entry "2026-12-06 18:05:09" "Новая программа")
expect_eq "new entry listed" 'lstProgramms.item[0]=ArcTool 3.1
lstProgramms.item[1]=Блокнот+ 2.1
lstProgramms.item[2]=Новая программа
lstProgramms.item[3]=Просмотр фотографий PhotoView 1.5' "$out"
expect_eq "new entry key" '
HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\VOLNRX-12/6/2026(18:5:9)
    DisplayName    REG_SZ    Новая программа
    UninstallString    REG_SZ    C:\NEW\UNINST.EXE' "$(run reg query "$key\\VOLNRX-12/6/2026(18:5:9)")"
new_entry "2027-01-02 03:04:05" "Ещё одна" >/dev/null
run reg query "$key\\VOLNRX-1/2/2027(3:4:5)" >/dev/null || fail "second new entry key"

# Delete: No keeps the entry and the list; Yes deletes the key and rebuilds the list.
fresh
out=$(run page 1 select lstProgramms 1 answer no menu nDelete dump lstProgramms)
expect_eq "delete No: question" 'message: Volnerix | Вы уверены, что хотите удалить "Блокнот+ 2.1" ?

Это удалит запись из реестра, но не саму программу ! | Yes No (default No) | question' \
  "$(messages <<<"$out")"
expect_eq "delete No: items" 3 "$(items <<<"$out" | wc -l)"
run reg query "$key\\TextPad" >/dev/null || fail "delete No removed the key"
out=$(run page 1 select lstProgramms 1 answer yes menu nDelete dump lstProgramms)
expect_eq "delete Yes: items" 'lstProgramms.item[0]=ArcTool 3.0 — архиватор
lstProgramms.item[1]=Просмотр фотографий PhotoView 1.5' "$(items <<<"$out")"
run reg query "$key\\TextPad" >/dev/null 2>&1 && fail "delete Yes kept the key"

# The uninstaller: started and waited for when its program is in the image; otherwise the
# question, and Yes deletes the entry.
mkdir -p "$drive/PROGRA~1/ARCTOOL"
echo MZ >"$drive/PROGRA~1/ARCTOOL/UNINSTAL.EXE"
out=$(run page 1 select lstProgramms 0 menu nUninstall)
expect_eq "uninstaller run" 'journal: CreateProcess and wait: C:\PROGRA~1\ARCTOOL\UNINSTAL.EXE' "$out"
out=$(run page 1 select lstProgramms 1 answer yes menu nUninstall dump lstProgramms)
expect_eq "uninstaller missing" 'journal: CreateProcess failed: RunDll setupx.dll,InstallHinfSection DefaultUninstall 132 C:\WINDOWS\INF\PHOTOVW.INF' \
  "$(grep -E '^journal:' <<<"$out")"
expect_eq "uninstaller missing: question" 'message: Volnerix | Программа деинсталляции не найдена !

Хотите удалить запись ? | Yes No (default No) | question' \
  "$(messages <<<"$out")"
run reg query "$key\\PhotoView" >/dev/null 2>&1 && fail "uninstaller missing: entry kept"

# File Killer: a file another program holds open is registered under RunOnce, without restart
# on No and with the restart request on Yes.
fresh
held="$drive/WINDOWS/Held.dll"
echo held >"$held"
# A process that keeps the file locked: the lock lives on its descriptor 9 until it ends. (No
# host process can hold a file of a disk image open: there the file goes at once.)
[ "$machine" = disk ] || {
( exec 9<"$held"; flock 9; exec sleep 60 ) &
holder=$!
for _ in $(seq 50); do flock -n "$held" true 2>/dev/null || break; sleep 0.1; done
kill_script() {  # answer
  run page 14 type edtSourceFile 'C:\WINDOWS\HELD.DLL' check cbBackUpFile off answer "$1" \
    click btnKillFile
}
out=$(kill_script no)
expect_eq "in use: question" 'message: Volnerix | Вы действительно хотите удалить исходный файл
"C:\WINDOWS\HELD.DLL" ?
Исходный файл используеться системой и может быть удален только после перезагрузки компьютера.

Перезагрузить компьютер немедленно ?  | Yes No Cancel (default Cancel) | question' "$out"
expect_eq "in use: RunOnce" '
HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\RunOnce
    (Delete: Held.dll)    REG_SZ    command.com /c del "C:\WINDOWS\HELD.DLL"' \
  "$(run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce')"
[ -f "$held" ] || fail "in use: the file went at once"
out=$(kill_script yes | grep '^journal:')
expect_eq "in use, Yes: restart" 'journal: ExitWindowsEx 2' "$out"
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null
holder=""
}
out=$(run page 14 type edtSourceFile 'C:\WINDOWS\HELD.DLL' click btnKillFile)
expect_eq "not in use: deleted at once with a backup" 'message: Volnerix | Файл успешно удален !
Резервная копия создана ! | OK | information' "$out"
[ -f "$held" ] && fail "not in use: the file stayed"
[ -f "$drive/WINDOWS/HELD.DLL.bak" ] || fail "not in use: no backup"

finish "tool pages"
