#!/usr/bin/env bash
# volnrx-cli over fresh machine images: the main window's pages, the About page, the buttons,
# the library checks, the single-instance guard and script errors.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"

# The seventeen tabs in order, "Общие" shown first.
fresh
out=$(run dump pgSelectedPage); rc=$?
expect_eq "dump exit status" 0 "$rc"
expect_eq "tab captions" "pgSelectedPage.enabled=1
pgSelectedPage.visible=1
pgSelectedPage.itemIndex=8
pgSelectedPage.items=17
pgSelectedPage.item[0]=Установка/Удаление
pgSelectedPage.item[1]=Процесс
pgSelectedPage.item[2]=\"Экран смерти\"
pgSelectedPage.item[3]=Меню \"Пуск\"
pgSelectedPage.item[4]=Рабочий стол
pgSelectedPage.item[5]=Панель управления
pgSelectedPage.item[6]=Пользователь
pgSelectedPage.item[7]=Ремонт
pgSelectedPage.item[8]=Общие
pgSelectedPage.item[9]=Проводник
pgSelectedPage.item[10]=Internet Explorer
pgSelectedPage.item[11]=Сервис
pgSelectedPage.item[12]=О программе...
pgSelectedPage.item[13]=File Killer
pgSelectedPage.item[14]=Цвет
pgSelectedPage.item[15]=Информация
pgSelectedPage.item[16]=Значки
pgSelectedPage.color=0x8000000F
pgSelectedPage.selected=Общие" "$out"

# The About page from a script: its texts, and its picture from the image library on switching.
cat > "$work/about.txt" <<'SCRIPT'
# About page
page 13
dump ImgAbout
dump lbCaptionProgramm
dump lbDescriptionProgramm
dump lbFullDescriptionProgramm
SCRIPT
out=$(run -f "$work/about.txt" | grep -E '\.(text|picture)=')
expect_eq "About page" 'ImgAbout.picture=C:\Program Files\Volnerix\vlximg.dll,BACKGROUND
lbCaptionProgramm.text=Volnerix v1.2
lbDescriptionProgramm.text="Тонкая" настройка системы...
lbFullDescriptionProgramm.text=С помощью "Volnerix" Вы \r\nсможете настроить систему, ограничить \r\nили включить некоторые функции, \r\nвосстановить поврежденные элементы, \r\nузнать системную информацию. Кроме \r\nэтого, "Volnerix" позволяет \r\nвыгрузить "зависший" процесс или окно, \r\nудалить или заменить используемый \r\nсистемой, другим приложением файл.' "$out"
copyright=$(run dump lbCopiryght | grep '\.text=')
[ -n "${copyright#lbCopiryght.text=}" ] || fail "the rights notice is empty"

# Cancel writes nothing: the image's files keep their bytes and times.
fresh
before=$(cd "$work/img" && find . -type f -exec md5sum {} + | sort; find . -newer "$hive_ref" | sort)
out=$(run cancel dump btnSave); rc=$?
expect_eq "cancel: exit status" 0 "$rc"
expect_eq "cancel: nothing runs after the window closed" "" "$out"
after=$(cd "$work/img" && find . -type f -exec md5sum {} + | sort; find . -newer "$hive_ref" | sort)
expect_eq "cancel wrote nothing" "$before" "$after"

# Two presses of Apply: two broadcasts, one after each whole apply; OK: one more, then the end.
# (The settings pages' own calls, system parameters and window shows, are left out here.)
out=$(run apply apply ok dump btnSave); rc=$?
out=$(grep -vE '^journal: (SystemParametersInfo|ShowWindow) ' <<<"$out")
expect_eq "apply twice: exit status" 0 "$rc"
expect_eq "apply twice, then OK" "journal: SendMessage HWND_BROADCAST WM_WININICHANGE 0 0
journal: SendMessage HWND_BROADCAST WM_WININICHANGE 0 0
journal: SendMessage HWND_BROADCAST WM_WININICHANGE 0 0" "$out"

# Both libraries missing: the vlximg.dll message first, then the other, then the end: the run
# stops there, with an error, running none of its commands. Each box goes to standard error as
# well: no one sees it in a headless run.
box() {  # the missing-library message for FILE
  printf '%s\n' "message: Volnerix | Файл \"$1\" не найден в каталоге с программой !" "" \
    "Работа программы будет прервана без согласия пользователя." \
    "Для устранения неполадки переустановите \"Volnerix\"" \
    "или достаньте из дистрибутива файл \"$1\" и поместите в" "каталог с программой. | OK | information"
}
out=$(run --program-dir 'C:\Elsewhere' dump btnSave 2>"$work/err"); rc=$?
expect_eq "libraries missing: exit status" 1 "$rc"
expect_eq "libraries missing" "$(box vlximg.dll; box vxeject.dll)" "$out"
expect_has "libraries missing: the boxes on standard error too" "$out" "$(cat "$work/err")"
expect_has "libraries missing: the run stops" "volnrx-cli: the program ended at its start; no command was run" "$(cat "$work/err")"

# One library missing from the image's program folder.
rm -f "$drive/Program Files/Volnerix/vxeject.dll"
out=$(run dump btnSave 2>/dev/null)
expect_eq "vxeject.dll missing" "$(box vxeject.dll)" "$out"

# Script errors: the line and the reason, exit status 2; the lines before it have run.
fresh
printf 'page 13\n\n# nothing here\nclick btnNothing\napply\n' > "$work/bad.txt"
out=$(run -f "$work/bad.txt" 2>&1); rc=$?
expect_eq "unknown control: exit status" 2 "$rc"
expect_eq "unknown control" "volnrx-cli: line 4: no control named btnNothing" "$out"
out=$(run frobnicate 2>&1); rc=$?
expect_eq "unknown command: exit status" 2 "$rc"
case $out in *"unknown command 'frobnicate'"*) ;; *) fail "unknown command: $out" ;; esac
out=$(run page 18 2>&1); rc=$?
expect_eq "page out of range: exit status" 2 "$rc"
out=$(run check btnSave on 2>&1); rc=$?
expect_eq "check on a button: exit status" 2 "$rc"

# A second copy on the same image tells the first and refuses, changing nothing; so does a reg
# command that writes. The first copy's instance mutex is the lock on the file named after the
# image folder.
lock="${TMPDIR:-/tmp}/volnrx-$(stat -c '%d-%i' "$image_path")-VolnerixByKorvaneSoftware.lock"
out=$(flock -n "$lock" "$cli" "$image_option" "$image_path" apply dump btnSave 2>&1); rc=$?
expect_eq "second copy: exit status" 1 "$rc"
expect_has "second copy tells the first" "journal: SendMessage HWND_BROADCAST VolnerixByKorvaneSoftware 0 0" "$out"
expect_has "second copy refuses" "the program is already running on this machine" "$out"
out=$(flock -n "$lock" "$cli" "$image_option" "$image_path" reg add 'HKCU\Software\Проба' /v x /d y /f 2>&1); rc=$?
expect_eq "reg add beside a running copy: exit status" 1 "$rc"
expect_has "reg add beside a running copy refuses" "nothing was changed" "$out"
out=$(flock -n "$lock" "$cli" "$image_option" "$image_path" reg query 'HKCU\Software' 2>&1); rc=$?
expect_eq "reg query beside a running copy reads" 0 "$rc"
# A run of only show, dump and page reads a Wine prefix (on a 9x drive load-all changes files).
if [ "$machine" = prefix ]; then
  out=$(flock -n "$lock" "$cli" "$image_option" "$image_path" page 4 dump cbStartMenuItem6 2>&1); rc=$?
  expect_eq "page and dump beside a running copy: exit status" 0 "$rc"
  expect_has "page and dump beside a running copy read" "cbStartMenuItem6.checked=" "$out"
fi
out=$(run dump btnSave | head -1)
expect_eq "after the first copy ended" "btnSave.enabled=1" "$out"

finish "main window"
