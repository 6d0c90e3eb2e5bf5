#!/usr/bin/env bash
# volnrx-cli.exe on the live (Wine) system in Windows 98 mode, with a key whose subkey has a name
# code page 1251 cannot spell: the ANSI functions list it as '?'s and cannot open it by that
# name. A delete of the tree is refused whole, naming the key; query /s and export say what they
# could not show, and the export fails.
#   tests/wine/cli-names-test.sh [WINDOWS_BUILD_DIR]
set -uo pipefail
source "$(dirname "$0")/own-prefix-lib.sh"
source "$(dirname "$0")/reg-check-lib.sh"
source "$(dirname "$0")/live-cli-lib.sh"
install_program "${1:-}"
expect_has() {  # WHAT LINE TEXT
  if grep -qF -- "$2" <<<"$3"; then echo "ok   $1"
  else echo "FAIL $1: no line '$2'"; printf '%s\n' "$3" | head -20; failures=$((failures + 1)); fi
}

key='HKCU\Software\Тест\Э' long='HKEY_CURRENT_USER\Software\Тест\Э'
for sub in 'обычн' '🌍'; do wine reg add "$key\\$sub" /v v /d x /f >/dev/null 2>&1 </dev/null; done
before=$(wine_reg query "$key" /s)
[ "$(grep -c '^    v    REG_SZ    x$' <<<"$before")" = 2 ] || { echo "FAIL the fixture:"; echo "$before"; exit 1; }

out=$(cli reg delete "$key" /f); rc=$?
check_same "delete: exit status" 1 "$rc"
expect_has "delete: the key it cannot reach, and nothing deleted" \
  "ERROR: $long\\?? cannot be opened by the name the registry lists" "$out"
expect_has "delete: nothing deleted" "nothing was deleted." "$out"
check_same "delete: the tree as before" "$before" "$(wine_reg query "$key" /s)"

out=$(cli reg query "$key" /s); rc=$?
expect_has "query /s: the subkey it could read" "$long\\обычн" "$out"
expect_has "query /s: says what it could not show" "$long\\?? cannot be opened" "$out"

out=$(cli reg export "$key" 'C:\names.reg'); rc=$?
check_same "export: exit status" 1 "$rc"
expect_has "export: names what it lacks" "$long\\?? cannot be opened" "$out"

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all passed"
