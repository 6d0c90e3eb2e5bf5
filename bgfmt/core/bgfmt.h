// Background floppy format: starts FORMAT.COM on the first removable drive, labelled with the
// registered organisation name, and does not wait for it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "port/system.h"

namespace bgfmt {

inline constexpr char kTitle[] = "Background formatting";
inline constexpr char kVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
inline constexpr char kOrganisationValue[] = "RegisteredOrganization";
inline constexpr unsigned kDriveRemovable = 2;
inline constexpr int kSwShow = 5;
inline constexpr std::uint32_t kRegSz = 1, kRegExpandSz = 2;
inline constexpr unsigned kMbOk = 0x0, kMbIconExclamation = 0x30, kMbTaskModal = 0x2000;

// A text value; empty when the key or value is missing or the value holds no text.
std::string ReadRegistryText(RegistryPort& registry, RootKey root, const std::string& keyPath,
                             const std::string& valueName);

// The first drive letter from A: up that exists and is removable; '\0' when there is none.
char FindFloppyDrive(DrivePort& drives);

// FORMAT.COM's parameters: drive, volume label in quotes, unconditional format. No drive gives
// an empty text.
std::string FormatParameters(char drive, std::string_view label);

std::string FailureText();

// The whole run; returns the exit code.
int StartBackgroundFormat(System& system);

}  // namespace bgfmt
