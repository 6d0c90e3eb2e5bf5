#include "prefix/prefix_facts.h"

#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/vfs.h>

#include <charconv>
#include <fstream>
#include <iterator>

#include "store/reg_store.h"
#include "text/cp1251.h"

namespace vlx::prefix {

namespace {

constexpr const char* kNtVersion = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr std::uint64_t kProcessSpace = 0x7FFE0000;  // user space of a 32-bit process
constexpr long kMsdosMagic = 0x4D44;                 // statfs f_type of FAT file systems

// Where Wine keeps the Windows version it shows programs (winecfg's "Windows version").
constexpr const char* kWineKey = "Software\\Wine";

// The 9x versions Wine can be set to, as its GetVersionExA reports them.
struct WineNineX {
  const char* name;
  VersionFacts facts;
};
const WineNineX kWineNineX[] = {
    {"win95", {4, 0, 0x040003B6, platformid::Windows, ""}},
    {"win98", {4, 10, 0x040A08AE, platformid::Windows, " A "}},
    {"winme", {4, 90, 0x045A0BB8, platformid::Windows, " "}},
};

// Text and number values of one key; empty or absent when missing.
class KeyReader {
 public:
  KeyReader(Registry& registry, const char* path, RegKey root = regroot::LocalMachine)
      : store_(registry) {
    store_.SetRoot(root);
    open_ = store_.OpenPath(path, false);
  }
  bool Open() const { return open_; }
  std::string Text(const char* name) {
    try {
      return open_ ? store_.ReadText(name) : std::string();
    } catch (const StoreError&) {
      return {};
    }
  }
  std::optional<std::uint32_t> Number(const char* name) {
    if (!open_ || !store_.HasValue(name)) return std::nullopt;
    try {
      return static_cast<std::uint32_t>(store_.ReadNumber(name));
    } catch (const StoreError&) {
      return std::nullopt;
    }
  }

 private:
  RegStore store_;
  bool open_ = false;
};

// "4.10.2222" or "6.1": the numbers in order; missing parts stay 0.
void ParseDotted(const std::string& text, std::uint32_t* parts, int count) {
  const char* at = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < count && at < end; ++i) {
    at = std::from_chars(at, end, parts[i]).ptr;
    if (at < end && *at == '.') ++at;
    else break;
  }
}

std::uint32_t ParseNumber(const std::string& text) {
  std::uint32_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::string FirstLine(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

}  // namespace

bool PrefixSystemFacts::Version(VersionFacts& out) {
  // A Wine prefix set to a 9x version presents that version, whatever its NT keys say.
  const std::string wine = KeyReader(registry_, kWineKey, regroot::CurrentUser).Text("Version");
  for (const auto& known : kWineNineX) {
    if (EqualNoCaseCp1251(wine, known.name)) {
      out = known.facts;
      return true;
    }
  }
  KeyReader nt(registry_, kNtVersion);
  const std::string current = nt.Text("CurrentVersion");
  if (!current.empty()) {
    out = {};
    out.platformId = platformid::Nt;
    std::uint32_t parts[2] = {0, 0};
    ParseDotted(current, parts, 2);
    out.major = nt.Number("CurrentMajorVersionNumber").value_or(parts[0]);
    out.minor = nt.Number("CurrentMinorVersionNumber").value_or(parts[1]);
    out.build = ParseNumber(nt.Text("CurrentBuildNumber"));
    out.servicePack = nt.Text("CSDVersion");
    return true;
  }
  KeyReader nineX(registry_, kVersion);
  const std::string number = nineX.Text("VersionNumber");
  if (number.empty()) return false;
  out = {};
  out.platformId = platformid::Windows;
  std::uint32_t parts[3] = {0, 0, 0};
  ParseDotted(number, parts, 3);
  out.major = parts[0];
  out.minor = parts[1];
  out.build = (parts[0] << 24) | (parts[1] << 16) | (parts[2] & 0xFFFF);
  out.servicePack = nineX.Text("SubVersionNumber");
  return true;
}

std::uint32_t PrefixSystemFacts::VersionWord() {
  VersionFacts version;
  if (!Version(version)) return 0;
  const std::uint32_t low = (version.major & 0xFF) | ((version.minor & 0xFF) << 8);
  const std::uint32_t high =
      version.platformId == platformid::Nt ? (version.build & 0x7FFF) : 0xC000;
  return (high << 16) | low;
}

MemoryFacts PrefixSystemFacts::Memory() {
  MemoryFacts memory;
  struct sysinfo facts {};
  if (::sysinfo(&facts) != 0) return memory;
  const std::uint64_t unit = facts.mem_unit ? facts.mem_unit : 1;
  memory.totalPhys = facts.totalram * unit;
  memory.availPhys = (facts.freeram + facts.bufferram) * unit;
  memory.totalPageFile = (facts.totalram + facts.totalswap) * unit;
  memory.availPageFile = (facts.freeram + facts.bufferram + facts.freeswap) * unit;
  memory.totalVirtual = kProcessSpace;
  memory.availVirtual = kProcessSpace;
  if (memory.totalPhys > 0)
    memory.load = static_cast<std::uint32_t>(100 - memory.availPhys * 100 / memory.totalPhys);
  return memory;
}

bool PrefixSystemFacts::Volume(const std::string& root, VolumeFacts& out) {
  const auto folder = paths_.ToHost(root);
  if (!folder) return false;
  struct statvfs volume {};
  struct statfs kind {};
  if (::statvfs(folder->c_str(), &volume) != 0 || ::statfs(folder->c_str(), &kind) != 0)
    return false;
  out = {};
  out.label = FirstLine(*folder / ".windows-label");
  const std::string serial = FirstLine(*folder / ".windows-serial");
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(serial.data(), serial.data() + serial.size(), value, 16);
  out.serial = !serial.empty() && error == std::errc() ? value
                                                        : static_cast<std::uint32_t>(volume.f_fsid);
  out.fileSystem = kind.f_type == kMsdosMagic ? "FAT32" : "NTFS";
  return true;
}

}  // namespace vlx::prefix
