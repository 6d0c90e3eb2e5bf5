// reg /? and reg OPERATION /?: the usage of the reg commands.
#include <cctype>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace vlx::cli {

namespace {

struct OperationUsage {
  const char* operation;
  const char* text;
};

constexpr const char* kRegUsage =
    "REG OPERATION [ARGUMENTS]\n"
    "\n"
    "  OPERATION  QUERY | ADD | DELETE | COPY | EXPORT | IMPORT\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 usage error.\n"
    "REG OPERATION /? prints the usage of that operation.";

constexpr const char* kKeyHelp =
    "  KEY    ROOT\\SUBKEY, ROOT one of HKLM, HKCU, HKCR, HKU, HKCC, HKDD (or their long\n"
    "         names, HKEY_LOCAL_MACHINE ...)\n";

constexpr OperationUsage kOperations[] = {
    {"query",
     "REG QUERY KEY [/v NAME | /ve] [/s]\n"
     "\n"
     "%KEY"
     "  /v     the value NAME only\n"
     "  /ve    the default (unnamed) value only\n"
     "  /s     the subkeys and their values too, all the way down\n"},
    {"add",
     "REG ADD KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
     "\n"
     "%KEY"
     "  /v     the value NAME to add\n"
     "  /ve    the default (unnamed) value\n"
     "  /t     REG_SZ (by default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD,\n"
     "         REG_DWORD_BIG_ENDIAN, REG_QWORD, REG_NONE\n"
     "  /s     the separator of REG_MULTI_SZ strings in DATA (\\0 by default)\n"
     "  /d     the DATA: text, a number (decimal or 0x hexadecimal), or hexadecimal bytes\n"
     "  /f     replaces an existing value without asking (without it, it is refused)\n"
     "\n"
     "Without /v or /ve only the key is made.\n"},
    {"delete",
     "REG DELETE KEY [/v NAME | /ve | /va] [/f]\n"
     "\n"
     "%KEY"
     "  /v     the value NAME only\n"
     "  /ve    the default (unnamed) value only\n"
     "  /va    every value of the key, the subkeys kept\n"
     "  /f     deletes without asking (without it, it is refused)\n"
     "\n"
     "Without /v, /ve or /va the key goes with everything below it.\n"},
    {"copy",
     "REG COPY KEY1 KEY2 [/s] [/f]\n"
     "\n"
     "%KEY"
     "  KEY1   the key to copy, KEY2 where it goes\n"
     "  /s     the subkeys and their values too\n"
     "  /f     overwrites values of KEY2 without asking (without it, it is refused)\n"},
    {"export",
     "REG EXPORT KEY FILE [/y]\n"
     "\n"
     "%KEY"
     "  FILE   the REGEDIT4 file written: KEY and everything below it, in code page 1251\n"
     "  /y     replaces an existing FILE (without it, it is refused)\n"},
    {"import",
     "REG IMPORT FILE\n"
     "\n"
     "  FILE   a REGEDIT4 file, or a UTF-16 file headed \"Windows Registry Editor Version 5.00\";\n"
     "         it is read whole first, and a line it cannot take is named with its number\n"
     "         while nothing is imported\n"},
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsHelpSwitch(const std::string& arg) {
  const std::string word = Lower(arg);
  return word == "/?" || word == "-?" || word == "/h" || word == "-h";
}

const OperationUsage* Find(const std::string& operation) {
  for (const auto& usage : kOperations)
    if (Lower(operation) == usage.operation) return &usage;
  return nullptr;
}

}  // namespace

bool RegAsksHelp(const std::vector<std::string>& args) {
  if (args.size() == 1) return IsHelpSwitch(args[0]);
  return args.size() == 2 && Find(args[0]) && IsHelpSwitch(args[1]);
}

int RunRegHelp(const std::vector<std::string>& args) {
  const OperationUsage* usage = args.size() == 2 ? Find(args[0]) : nullptr;
  if (!usage) {
    Print(kRegUsage);
    return 0;
  }
  std::string text = usage->text;
  const std::size_t at = text.find("%KEY");
  if (at != std::string::npos) text.replace(at, 4, kKeyHelp);
  if (text.back() == '\n') text.pop_back();
  Print(text);
  return 0;
}

}  // namespace vlx::cli
