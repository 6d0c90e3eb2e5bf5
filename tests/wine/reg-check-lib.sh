# Sourced by the Wine tests that compare registry contents.
#   wine_reg ARGS...              reg.exe's console output in UTF-8 with Unix line ends and the
#                                 English name of the default value, the form volnrx-cli prints
#   check_same WHAT EXP ACT [LINE]  the outputs match and, when given, hold LINE; counts failures
#   add_all TOOL KEY              every value type reg add takes, Cyrillic names, and a subkey
failures=0

# Wine's reg prints a REG_DWORD_BIG_ENDIAN's bytes read as a little-endian number; volnrx-cli
# prints the number they hold, most significant byte first: Wine's figure is turned round here.
wine_reg() {
  timeout 60 wine reg "$@" </dev/null 2>/dev/null | iconv -f CP866 -t UTF-8 | tr -d '\r' |
    sed 's/^    (По умолчанию)    /    (Default)    /' |
    perl -pe 's/(REG_DWORD_BIG_ENDIAN    )0x([0-9a-f]+)$/$1 . sprintf("0x%x", unpack("N", pack("V", hex $2)))/e'
}

check_same() {
  local what=$1 expected=$2 actual=$3 line=${4:-}
  if [ "$expected" == "$actual" ] && { [ -z "$line" ] || grep -qxF -- "$line" <<<"$actual"; }; then
    echo "ok   $what"
  else
    echo "FAIL $what"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | sed 's/^/    /' || true
    failures=$((failures + 1))
  fi
}

# Every type reg add takes, with names and texts in code page 1251.
values=(
  "Строка|REG_SZ|Привет, мир! ёЁ \"кавычки\" \\обратная\\"
  "Пустая|REG_SZ|"
  "Путь|REG_EXPAND_SZ|%SystemRoot%\\Система"
  "Двоичное|REG_BINARY|00FF7F80C0FE"
  "Число|REG_DWORD|0x80000001"
  "Ноль|REG_DWORD|0"
  "Список|REG_MULTI_SZ|один\\0два\\0три"
  "Ничего|REG_NONE|данные"
  "Прямой|REG_DWORD_BIG_ENDIAN|305419896"
)

add_all() {  # add_all TOOL KEY: writes every value under KEY with `reg add`
  local tool=$1 key=$2 item name type data
  for item in "${values[@]}"; do
    IFS='|' read -r name type data <<<"$item"
    "$tool" add "$key" /v "$name" /t "$type" /d "$data" /f >/dev/null
  done
  "$tool" add "$key" /ve /d "По умолчанию" /f >/dev/null
  "$tool" add "$key\\Вложенный ключ" /v "Имя" /d "Значение" /f >/dev/null
}
