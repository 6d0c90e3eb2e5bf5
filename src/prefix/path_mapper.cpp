#include "prefix/path_mapper.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <system_error>
#include <vector>

#include "text/cp1251.h"

namespace vlx::prefix {

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Characters Windows refuses in a file name.
bool HasInvalidCharacter(std::string_view name) {
  return std::any_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 32 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos;
  });
}

std::vector<std::string> SplitComponents(std::string_view path) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : path) {
    if (IsSeparator(c)) {
      if (!current.empty()) parts.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(std::move(current));
  return parts;
}

// Windows drops trailing dots and blanks of a name ("WINDOWS." is "WINDOWS").
std::string TrimName(std::string name) {
  if (name == "." || name == "..") return name;
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return name.empty() ? std::string(".") : name;
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Whether a name on disk (UTF-8) is `name` (CP1251) without regard to case; ASCII names, the
// most, are compared as they are.
bool SameName(std::string_view onDisk, const std::string& name, bool nameIsAscii) {
  if (nameIsAscii && IsAscii(onDisk)) {
    return onDisk.size() == name.size() &&
           std::equal(onDisk.begin(), onDisk.end(), name.begin(), [](char a, char b) {
             return std::tolower(static_cast<unsigned char>(a)) ==
                    std::tolower(static_cast<unsigned char>(b));
           });
  }
  return EqualNoCaseCp1251(Utf8ToCp1251(std::string(onDisk)), name);
}

// The entry of `dir` named `name` without regard to case; an exact match wins, otherwise the
// first match in name order, so the choice does not depend on directory order.
std::optional<fs::path> FindEntry(DirectoryListings& listings, const fs::path& dir,
                                  const std::string& name) {
  const fs::path exact = dir / Cp1251ToUtf8(name);
  std::error_code ec;
  if (fs::exists(fs::symlink_status(exact, ec))) return exact;
  const bool nameIsAscii = IsAscii(name);
  const std::string* best = nullptr;
  for (const std::string& onDisk : listings.Names(dir)) {
    if (!SameName(onDisk, name, nameIsAscii)) continue;
    if (!best || onDisk < *best) best = &onDisk;
  }
  if (!best) return std::nullopt;
  return dir / *best;
}

bool IsWithin(const fs::path& path, const fs::path& base) {
  auto p = path.begin();
  for (auto b = base.begin(); b != base.end(); ++b, ++p) {
    if (b->empty()) continue;  // trailing separator of the base
    if (p == path.end() || *p != *b) return false;
  }
  return true;
}

}  // namespace

PathMapper::PathMapper(fs::path root) : root_(std::move(root)), driveC_(root_ / "drive_c") {}

PathMapper::PathMapper(fs::path root, fs::path driveC)
    : root_(std::move(root)), driveC_(std::move(driveC)) {}

std::optional<fs::path> PathMapper::DriveRoot(char letter) const {
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  if (lower == 'c') return driveC_;
  if (lower < 'a' || lower > 'z') return std::nullopt;
  // Only drives kept inside the image: a Wine prefix's Z: (the host's root) is no drive here.
  std::error_code ec;
  const fs::path link = root_ / "dosdevices" / (std::string(1, lower) + ":");
  const fs::path target = fs::canonical(link, ec);
  if (ec || !fs::is_directory(target, ec)) return std::nullopt;
  const fs::path image = fs::canonical(root_, ec);
  if (ec || !IsWithin(target, image)) return std::nullopt;
  return target;
}

std::optional<fs::path> PathMapper::ToHost(const std::string& windowsPath) const {
  std::string_view rest(windowsPath);
  char letter = 'C';
  if (rest.size() >= 2 && rest[1] == ':') {
    letter = rest[0];
    rest.remove_prefix(2);
    if (rest.empty() || !IsSeparator(rest[0])) return std::nullopt;  // "C:file" is relative
  } else if (rest.empty() || !IsSeparator(rest[0]) ||
             (rest.size() >= 2 && IsSeparator(rest[1]))) {
    return std::nullopt;  // relative or UNC
  }
  const auto driveRoot = DriveRoot(letter);
  if (!driveRoot) return std::nullopt;

  // Resolve "." and ".." by name first, as Windows does; ".." above the drive root is refused.
  std::vector<std::string> names;
  for (auto& part : SplitComponents(rest)) {
    part = TrimName(std::move(part));
    if (part == ".") continue;
    if (part == "..") {
      if (names.empty()) return std::nullopt;
      names.pop_back();
      continue;
    }
    if (HasInvalidCharacter(part)) return std::nullopt;
    names.push_back(std::move(part));
  }

  fs::path host = *driveRoot;
  bool onDisk = true;
  for (const auto& name : names) {
    std::optional<fs::path> found;
    if (onDisk) found = FindEntry(listings_, host, name);
    if (found) {
      host = *found;
    } else {
      onDisk = false;
      host /= Cp1251ToUtf8(name);
    }
  }

  // A symbolic link inside the image may point anywhere: keep the result below the drive root.
  std::error_code ec;
  const fs::path base = fs::weakly_canonical(*driveRoot, ec);
  if (ec) return std::nullopt;
  const fs::path real = fs::weakly_canonical(host, ec);
  if (ec || !IsWithin(real, base)) return std::nullopt;
  return host;
}

}  // namespace vlx::prefix
