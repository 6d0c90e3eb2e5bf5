#!/usr/bin/env bash
# glasslbl under Wine against a stand-in shell desktop (ProgMan -> child -> SysListView32 whose
# text background starts as 00123456); the probe reads the colour back with LVM_GETTEXTBKCOLOR.
source "$(dirname "$0")/glasslbl-bgfmt-lib.sh"
exe=$build/glasslbl/glasslbl.exe
# The desktop colour as the probe sees it (GetSysColor (COLOR_BACKGROUND)).
desktop=$(probe run --desktop 123456 cmd.exe "/c rem" | sed -n 's/.* desktop=//p')
check "desktop colour differs from the list view's initial one" \
  [ -n "$desktop" -a "$desktop" != 00123456 -a "$desktop" != FFFFFFFF ]

check_program_file "$exe"

run() { probe run --desktop 123456 "$exe" "$1"; }
expect_colour() {  # ARGUMENTS BACKGROUND
  local report; report=$(run "$1")
  check "glasslbl $1: exit code 0" has "$report" "exit=0"
  check "glasslbl $1: list view background $2" has "$report" \
    "found=yes text=FF000000 bk=$2 desktop=$desktop"
  check "glasslbl $1: no message, no window" quiet "$report"
}
expect_colour "/HIDE" FFFFFFFF
expect_colour "/hide" FFFFFFFF
expect_colour "/VISIBLE" "$desktop"
expect_colour "/visible" "$desktop"
expect_colour "/HIDE /VISIBLE" FFFFFFFF
expect_colour "/Hide" 00123456
expect_colour "/Visible" 00123456
expect_colour "HIDE" 00123456

usage='box title=Transparent background text=Transparent background - приложение для скрытия/отображения фона\rтекста элементов рабочего стола.\r\rПрограмма должна быть запущена с одним из следующих параметров:\r\r  /HIDE\t\tСкрыть фон\r  /VISIBLE\tПоказать фон\r\r© Все права защищены. buttons=ОК icon=no'
for blank in "" "   " '""' '"" /HIDE'; do
  report=$(run "$blank")
  check "glasslbl [$blank]: usage box" has "$report" "$usage"
  check "glasslbl [$blank]: exit code 0" has "$report" "exit=0"
  check "glasslbl [$blank]: list view untouched" has "$report" \
    "found=yes text=FF000000 bk=00123456 desktop=$desktop"
done

# Without a shell desktop nothing happens.
report=$(probe run "$exe" "/HIDE")
check "glasslbl /HIDE without desktop: exit code 0" has "$report" "exit=0"
check "glasslbl /HIDE without desktop: no message, no window" quiet "$report"

finish
