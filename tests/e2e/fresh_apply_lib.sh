# Sourced by the fresh-image scripts after lib.sh: load-all then apply-all on an image as it is.
#   fresh_apply_check WHAT EXPECTED
# A dry run of `apply` lists exactly the EXPECTED value lines (REGEDIT4, one a line, any order),
# deletes nothing and makes no key that no value goes into (a key above a new one is made as its
# path); the apply itself then changes and removes nothing that was there.
dump_registry() { run reg query HKLM /s; run reg query HKCU /s; }
fresh_apply_check() {
  local what=$1 expected=$2 dry patch values empty before changed
  dry=$(run --dry-run apply 2>&1) || fail "$what: dry run exit status $?"
  expect_not "$what: no message box" "message:" "$dry"
  patch=$(awk '/^== registry/ {on = 1; next} /^== / {on = 0} on' <<<"$dry")
  values=$(grep -v -e '^\[' -e '^REGEDIT4$' -e '^$' <<<"$patch" | sort)
  expect_eq "$what: the dry run lists the absent two-state values and nothing else" \
    "$(sort <<<"$expected")" "$values"
  expect_not "$what: no key deleted" "[-HKEY" "$patch"
  expect_not "$what: no value deleted" "=-" "$patch"
  empty=$(awk '
    function close_section(next_key) {
      if (key != "" && !has_value && index(next_key, key "\\") != 1) print key
    }
    /^\[/ { close_section(substr($0, 2, length($0) - 2)); key = substr($0, 2, length($0) - 2);
            has_value = 0; next }
    /^(@|")/ { has_value = 1 }
    END { close_section("") }' <<<"$patch")
  expect_eq "$what: no empty key" "" "$empty"
  before=$(dump_registry)
  run apply >/dev/null 2>&1 || fail "$what: apply exit status $?"
  changed=$(diff <(printf '%s\n' "$before") <(dump_registry) | grep '^<')
  expect_eq "$what: nothing that was there changed or went" "" "$changed"
}
