#!/usr/bin/env bash
# volnrx-cli over fresh machine images: the fatal-error screen colours written to and removed
# from system.ini's [386Enh] section, the rest of the file kept byte for byte, and the file's
# attributes cleared around every use.
set -uo pipefail
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/file_attributes.sh"
# The default box and the two lists as dumped: checked, enabled and selection lines.
states() { grep -E '^cb(ScrDeathDefault\.checked|(BackgraundColor|TextColor)\.(enabled|itemIndex))='; }

fresh
ini=$(find_file windows/system.ini)
[ -n "$ini" ] || { echo "no system.ini in the image"; exit 1; }
cp "$ini" "$work/original.ini"
grep -qi 'MessageBackColor\|MessageTextColor' "$ini" && fail "fresh system.ini holds colours"
set_attributes "$ini" RH
expect_eq "before: read-only and hidden" "RH-" "$(attributes "$ini")"

# Load on a file without colours: the default box checked, blue and white greyed; the load alone
# leaves the file writable with only the archive attribute and its bytes unchanged.
out=$(run page 3 dump cbScrDeathDefault dump cbBackgraundColor dump cbTextColor); rc=$?
expect_eq "load: exit status" 0 "$rc"
expect_eq "load: default checked, blue and white greyed" "cbScrDeathDefault.checked=1
cbBackgraundColor.enabled=0
cbBackgraundColor.itemIndex=1
cbTextColor.enabled=0
cbTextColor.itemIndex=7" "$(states <<<"$out")"
expect_eq "load: attributes cleared" "---" "$(attributes "$ini")"
cmp -s "$work/original.ini" "$ini" || fail "load changed system.ini"

# Own colours: red on green written as numbers into [386Enh], everything else kept.
set_attributes "$ini" RHS
cat > "$work/own.txt" <<'SCRIPT'
page 3
check cbScrDeathDefault off
select cbBackgraundColor 4
select cbTextColor 2
apply
SCRIPT
out=$(run -f "$work/own.txt" 2>&1); rc=$?
expect_eq "own colours: exit status" 0 "$rc"
grep -q '^message:' <<<"$out" && fail "own colours: a message box: $out"
expect_eq "own colours: attributes cleared" "---" "$(attributes "$ini")"
expect_eq "own colours: only the two keys added to [386Enh]" "> MessageBackColor=4
> MessageTextColor=2" "$(diff <(tr -d '\r' <"$work/original.ini") <(tr -d '\r' <"$ini") | grep '^[<>]')"
section=$(tr -d '\r' <"$ini" | sed -n '/^\[386Enh\]/,/^\[/p')
grep -qx 'MessageBackColor=4' <<<"$section" || fail "MessageBackColor not in [386Enh]"
[ "$(grep -c $'\r$' "$ini")" = "$(wc -l <"$ini")" ] || fail "own colours: line ends not CR LF"

# The next start shows them; "По умолчанию" removes both keys again.
set_attributes "$ini" RH
out=$(run page 3 dump cbScrDeathDefault dump cbBackgraundColor dump cbTextColor \
  check cbScrDeathDefault on apply); rc=$?
expect_eq "restore: exit status" 0 "$rc"
expect_eq "restore: loaded unchecked, red and green enabled" "cbScrDeathDefault.checked=0
cbBackgraundColor.enabled=1
cbBackgraundColor.itemIndex=4
cbTextColor.enabled=1
cbTextColor.itemIndex=2" "$(states <<<"$out")"
cmp -s "$work/original.ini" "$ini" || { fail "restore: system.ini not as before";
  diff "$work/original.ini" "$ini" | head; }
expect_eq "restore: attributes cleared" "---" "$(attributes "$ini")"

# A stored 0 stays on restore; a value outside the nine colours loads as no selection and is
# not written back.
fresh
ini=$(find_file windows/system.ini)
sed -i 's/^\[386Enh\]\r$/[386Enh]\r\nMessageBackColor=15\r\nMessageTextColor=0\r/' "$ini"
out=$(run page 3 dump cbBackgraundColor dump cbTextColor apply); rc=$?
expect_eq "out of range: exit status" 0 "$rc"
expect_eq "out of range: no background selection, text 0 is black" "cbBackgraundColor.enabled=1
cbBackgraundColor.itemIndex=-1
cbTextColor.enabled=1
cbTextColor.itemIndex=0" "$(states <<<"$out")"
expect_eq "out of range: not rewritten" "MessageBackColor=15
MessageTextColor=0" "$(tr -d '\r' <"$ini" | grep '^Message')"
out=$(run page 3 check cbScrDeathDefault on apply); rc=$?
expect_eq "restore with a stored 0: exit status" 0 "$rc"
expect_eq "restore keeps a stored 0" "MessageTextColor=0" "$(tr -d '\r' <"$ini" | grep '^Message')"

finish "screen-colours"
