#include "prefix/path_mapper.h"

#include <algorithm>
#include <cstring>
#include <map>
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

unsigned char UpperCp1251(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
  if (c >= 0xE0) return static_cast<unsigned char>(c - 0x20);  // а..я
  if (c == 0xB8) return 0xA8;                                  // ё
  return c;
}

// Whether a name (CP1251) is a short name already: at most 8 characters, then at most one dot
// and 3 more, none of them blank or one short names refuse.
bool IsShortName(const std::string& name) {
  const std::size_t dot = name.find('.');
  if (dot != name.rfind('.') || dot == 0) return false;
  const std::size_t base = std::min(dot, name.size());
  if (base > 8 || (dot != std::string::npos && name.size() - dot - 1 > 3)) return false;
  return name.find_first_of(" +,;=[]") == std::string::npos;
}

// The short name's base and extension Windows 9x derives from a long name: blanks and all but
// the last dot go, letters are upper case, characters short names refuse become '_'.
std::pair<std::string, std::string> ShortBasis(const std::string& name) {
  std::string trimmed;
  for (char c : name)
    if (c != ' ') trimmed += c;
  while (!trimmed.empty() && trimmed.front() == '.') trimmed.erase(0, 1);
  const std::size_t dot = trimmed.rfind('.');
  std::string base, ext;
  for (std::size_t i = 0; i < trimmed.size(); ++i) {
    const auto c = static_cast<unsigned char>(trimmed[i]);
    if (i == dot || (c == '.' && i < dot)) continue;
    const char up = std::strchr("+,;=[]", c) ? '_' : static_cast<char>(UpperCp1251(c));
    (dot != std::string::npos && i > dot ? ext : base) += up;
  }
  return {base, ext.substr(0, 3)};
}

// The entry of the listing whose short name is `name` ("PROGRA~1"), derived as Windows 9x
// derives it: the first 6 characters of the basis and "~N", N counting the entries of that
// basis in name order (the order they were made in is not kept on the host).
const std::string* ShortNameEntry(const std::vector<std::string>& names, const std::string& name) {
  if (name.find('~') == std::string::npos) return nullptr;
  std::vector<const std::string*> sorted;
  for (const auto& onDisk : names) sorted.push_back(&onDisk);
  std::sort(sorted.begin(), sorted.end(), [](auto a, auto b) { return *a < *b; });
  std::map<std::string, int> used;  // by basis
  for (const std::string* onDisk : sorted) {
    const std::string longName = Utf8ToCp1251(*onDisk);
    if (IsShortName(longName)) continue;
    const auto [base, ext] = ShortBasis(longName);
    const int n = ++used[base.substr(0, 6) + "." + ext];
    const std::string tail = "~" + std::to_string(n);
    const std::string alias = base.substr(0, 8 - tail.size()) + tail + (ext.empty() ? "" : "." + ext);
    if (EqualNoCaseCp1251(alias, name)) return onDisk;
  }
  return nullptr;
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
  if (!best) best = ShortNameEntry(listings.Names(dir), name);
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
