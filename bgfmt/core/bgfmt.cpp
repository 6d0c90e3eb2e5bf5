#include "core/bgfmt.h"

namespace bgfmt {

std::string ReadRegistryText(RegistryPort& registry, RootKey root, const std::string& keyPath,
                             const std::string& valueName) {
  const auto value = registry.QueryValue(root, keyPath, valueName);
  if (!value || (value->type != kRegSz && value->type != kRegExpandSz)) return {};
  // The text ends at its first zero; data stored without a terminator keeps its last character.
  return value->data.substr(0, value->data.find('\0'));
}

char FindFloppyDrive(DrivePort& drives) {
  const std::uint32_t mask = drives.LogicalDriveMask();
  for (int bit = 0; bit < 26; ++bit) {
    const char letter = static_cast<char>('A' + bit);
    if ((mask >> bit & 1) && drives.DriveTypeOf(std::string{letter, ':', '\\'}) == kDriveRemovable)
      return letter;
  }
  return '\0';
}

std::string FormatParameters(char drive, std::string_view label) {
  if (drive == '\0') return {};
  // A quote would close the label early and hand the rest of the name to FORMAT.COM as further
  // switches or drives; a control character (a CR ends a DOS command tail) would cut off /U.
  std::string safeLabel;
  for (const char c : label)
    if (c != '"' && static_cast<unsigned char>(c) >= 32) safeLabel += c;
  return std::string{drive} + ": /V:\"" + safeLabel + "\" /U";
}

std::string FailureText() {
  return "Невозможно начать форматирование дискеты !\r"
         "\r"
         "Возможно, программа форматирования дискет (Format.com) не\r"
         "установлена или была удалена.";
}

int StartBackgroundFormat(System& system) {
  const std::string organisation =
      ReadRegistryText(system.registry, RootKey::LocalMachine, kVersionKey, kOrganisationValue);
  const char drive = FindFloppyDrive(system.drives);
  const auto result =
      system.shell.Execute("open", "FORMAT.COM", FormatParameters(drive, organisation), kSwShow);
  if (result < 32)
    system.shell.ShowMessage(FailureText(), kTitle, kMbOk | kMbIconExclamation | kMbTaskModal);
  return 0;
}

}  // namespace bgfmt
