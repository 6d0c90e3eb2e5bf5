# DOS attributes of a file or folder in a machine image, kept the way Wine keeps them: read-only
# is the absence of write permission, hidden and system are bits of the extended attribute
# user.DOSATTRIB ("0x<hex>"). Sourced by the end-to-end scripts.

# attributes PATH: three letters, R (read-only), H (hidden), S (system), each "-" when clear.
attributes() {
  python3 - "$1" <<'PY'
import os, sys
path = sys.argv[1]
try:
    text = os.getxattr(path, "user.DOSATTRIB").split(b"\0")[0].decode()
    bits = int(text, 16) if text.startswith("0x") else 0
except OSError:
    bits = 0
read_only = not os.path.isdir(path) and not os.stat(path).st_mode & 0o222
print(("R" if read_only else "-") + ("H" if bits & 2 else "-") + ("S" if bits & 4 else "-"))
PY
}

# set_attributes PATH LETTERS: read-only (R), hidden (H) and system (S) as given, the rest clear.
set_attributes() {
  local bits=0
  case $2 in *H*) bits=$((bits | 2)) ;; esac
  case $2 in *S*) bits=$((bits | 4)) ;; esac
  case $2 in *R*) chmod a-w "$1" ;; *) chmod u+w "$1" ;; esac
  setfattr -n user.DOSATTRIB -v "\"0x$(printf %x "$bits")\"" "$1"
}
