#!/usr/bin/env bash
# volnrx-cli.exe on the live (Wine) system with no shell desktop window, in Windows 98 mode and
# in Wine's default NT mode: the Desktop page's "desktop items" box loads from the stored
# NoDesktop policy (absent: shown), an Apply that leaves the box alone neither writes nor lists
# the policy, and changing the box writes or removes it. Read back with `wine reg query`.
#   tests/wine/desktop-policy-live-test.sh [WINDOWS_BUILD_DIR]
set -uo pipefail
source "$(dirname "$0")/own-prefix-lib.sh"
source "$(dirname "$0")/reg-check-lib.sh"
source "$(dirname "$0")/live-cli-lib.sh"
install_program "${1:-}"
policy='HKLM\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer'
nodesktop() { wine_reg query "$policy" /v NoDesktop | grep -F NoDesktop || echo "-"; }
store() {  # store -|BINARY-HEX|dword:N: NoDesktop as the case has it stored
  wine reg delete "$policy" /v NoDesktop /f >/dev/null 2>&1 </dev/null
  case $1 in
    -) ;;
    dword:*) wine reg add "$policy" /v NoDesktop /t REG_DWORD /d "${1#dword:}" /f >/dev/null 2>&1 </dev/null ;;
    *) wine reg add "$policy" /v NoDesktop /t REG_BINARY /d "$1" /f >/dev/null 2>&1 </dev/null ;;
  esac
}

# stored | options | script (";" between commands) | box loaded | NoDesktop after ("-": none) |
# NoDesktop lines the output lists
cases=(
  "-||apply|1|-|"
  "-||page 5;item clbDesctopSetting 3 off;apply|1|-|"
  "-||page 4;check cbStartMenuItem6 off;apply|1|-|"
  "-|--dry-run|apply|1|-|"
  "01000000||apply|0|    NoDesktop    REG_BINARY    01000000|"
  "01000000|--dry-run|apply|0|    NoDesktop    REG_BINARY    01000000|"
  "dword:1||page 5;item clbDesctopSetting 3 off;apply|0|    NoDesktop    REG_DWORD    0x1|"
  "00000000||apply|1|    NoDesktop    REG_BINARY    00000000|"
  "-||page 5;item clbDesctopSetting 1 off;apply|1|    NoDesktop    REG_BINARY    01000000|"
  "-|--dry-run|page 5;item clbDesctopSetting 1 off;apply|1|-|\"NoDesktop\"=hex:01,00,00,00"
  "01000000||page 5;item clbDesctopSetting 1 on;apply|0|-|"
)

for version in win98 nt; do
  set_windows_version "$version"
  for row in "${cases[@]}"; do
    IFS='|' read -r stored options commands loaded after listed <<<"$row"
    what="$version, NoDesktop $stored, ${options:+$options }'$commands'"
    store "$stored"
    printf 'dump clbDesctopSetting\r\n%s\r\n' "${commands//;/$'\r\n'}" >"$WINEPREFIX/drive_c/case.txt"
    # shellcheck disable=SC2086  # the options are words
    out=$(cli $options -f 'C:\case.txt'); rc=$?
    check_same "$what: exit status" 0 "$rc"
    check_same "$what: box loaded" "clbDesctopSetting.item[1].checked=$loaded" \
      "$(grep -F 'clbDesctopSetting.item[1].checked=' <<<"$out")"
    check_same "$what: NoDesktop after" "$after" "$(nodesktop)"
    check_same "$what: NoDesktop in the output" "$listed" "$(grep -F NoDesktop <<<"$out")"
  done
done

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
