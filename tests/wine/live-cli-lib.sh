# Sourced by the Wine tests of volnrx-cli.exe on the live system, after own-prefix-lib.sh.
#   install_program [BUILD_DIR]   makes the prefix (own_prefix) and copies the program from the
#                                 Windows build (default $VLX_WIN_BUILD, left in $build) to $folder
#   cli ARGS...                   volnrx-cli.exe's output and errors in UTF-8 with Unix line ends
folder="$WINEPREFIX/drive_c/Program Files/Volnerix"

install_program() {
  local file
  build=$(cd "${1:-${VLX_WIN_BUILD:-$root/build/win64}}" && pwd) || exit 1
  for file in volnrx-cli.exe volnrx.exe vlximg.dll vxeject.dll; do
    [ -f "$build/$file" ] || { echo "missing $build/$file"; exit 1; }
  done
  own_prefix
  mkdir -p "$folder"
  cp "$build/volnrx-cli.exe" "$build/volnrx.exe" "$build/vlximg.dll" "$build/vxeject.dll" "$folder/"
}

cli() {
  timeout 120 wine "$folder/volnrx-cli.exe" "$@" </dev/null 2>&1 | iconv -f CP866 -t UTF-8 | tr -d '\r'
  return "${PIPESTATUS[0]}"
}
