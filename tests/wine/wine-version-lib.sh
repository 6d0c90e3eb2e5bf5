# The Windows version a Wine prefix shows its programs (sourced by the Wine test scripts).
#   set_windows_version win98|winme|win10|...   HKCU\Software\Wine "Version"; "nt" removes the
#                                               value, so Wine shows its default NT version
set_windows_version() {
  local wine=${VLX_WINE:-wine}
  if [ "$1" = nt ]; then
    timeout 60 "$wine" reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 </dev/null
    return 0
  fi
  timeout 60 "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1 </dev/null
}
