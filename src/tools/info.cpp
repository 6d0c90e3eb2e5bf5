#include "tools/info.h"

#include <cstdio>

#include "app/context.h"
#include "store/folders.h"
#include "ui/form.h"

namespace vlx {

namespace info {

namespace {

constexpr std::uint64_t kMegabyte = 1024417;  // the page's divisor, not 1048576

const char* const kNames[] = {
    "Unknown",
    nullptr,
    nullptr,
    "Microsoft Windows 95",
    "Microsoft Windows 98",
    "Microsoft Windows 98 SE",
    "Microsoft Windows ME",
    "Microsoft Windows NT",
    "Microsoft Windows 2000",
    "Microsoft Windows XP",
};

int NineXCode(const VersionFacts& v) {
  if (v.major != 4) return 1;
  switch (v.minor) {
    case 0: return 3;
    case 10: return v.servicePack.size() > 1 && v.servicePack[1] == 'A' ? 5 : 4;
    case 90: return 6;
    default: return 1;
  }
}

int NtCode(const VersionFacts& v) {
  if (v.major == 4) return 7;
  if (v.major != 5) return 2;
  switch (v.minor) {
    case 0: return 8;
    case 1: return 9;
    default: return 2;
  }
}

// Windows 95 OSR2 (4.00.1111, 4.03.1212 and later) names itself " B" or " C".
bool Windows95Osr2(const VersionFacts& v) {
  const char letter = v.servicePack.size() > 1 ? v.servicePack[1] : ' ';
  return letter == 'B' || letter == 'C' || (v.build & 0xFFFF) >= 1111;
}

}  // namespace

int VersionCode(bool known, const VersionFacts& version) {
  if (!known) return 0;
  switch (version.platformId) {
    case platformid::Windows: return NineXCode(version);
    case platformid::Nt: return NtCode(version);
    default: return 0;
  }
}

std::string PlatformText(int code, const VersionFacts& version) {
  std::string name;
  if (code == 1 || code == 2) {
    name = std::string(code == 1 ? "Microsoft Windows 9x " : "Microsoft Windows NT ") +
           std::to_string(version.major) + "." + std::to_string(version.minor);
  } else {
    name = kNames[code];
  }
  return "Платформа: \t" + name + " and ";
}

// The high word of GetVersion holds no MS-DOS version: on the 9x family it is flag bits (with a
// build number on some versions), on the NT family the build number. The version record says
// which system runs, and each system carries one MS-DOS version.
std::string DosText(int code, const VersionFacts& version) {
  unsigned major = 0, minor = 0;
  if (code == 0) {
    // Unknown system: nothing to tell.
  } else if (version.platformId == platformid::Nt) {
    major = 5;  // what the NT family's MS-DOS subsystem reports
  } else if (version.major > 4 || version.minor >= 90) {
    major = 8;  // ME
  } else if (version.minor >= 10 || Windows95Osr2(version)) {
    major = 7, minor = 10;  // 98, 98 SE, 95 OSR2
  } else {
    major = 7;  // 95
  }
  char text[32];
  std::snprintf(text, sizeof text, "%u.%.2u", major, minor);
  return std::string("DOS ") + text;
}

std::uint64_t Megabytes(std::uint64_t bytes) { return bytes / kMegabyte; }

std::string SerialText(std::uint32_t serial) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X-%04X", static_cast<unsigned>(serial >> 16),
                static_cast<unsigned>(serial & 0xFFFF));
  return text;
}

}  // namespace info

namespace {

using ui::Kind;

const ui::ControlSpec kInfoPage[] = {
    {.kind = Kind::Label, .name = "WinVerLabel", .parent = "TabSheet16",
     .bounds = {8, 8, 289, 13}, .caption = "Платформа:"},
    {.kind = Kind::GroupBox, .name = "gbRamInfo", .parent = "TabSheet16",
     .bounds = {8, 32, 289, 65}, .caption = "Физическая память:"},
    {.kind = Kind::Label, .name = "lbRAM", .parent = "gbRamInfo", .bounds = {8, 16, 273, 13}},
    {.kind = Kind::Label, .name = "lbFreeRam", .parent = "gbRamInfo", .bounds = {8, 32, 273, 13}},
    {.kind = Kind::Label, .name = "lbUseProc", .parent = "gbRamInfo", .bounds = {8, 48, 273, 13}},
    {.kind = Kind::GroupBox, .name = "gbROtherInfo", .parent = "TabSheet16",
     .bounds = {8, 104, 289, 57}, .caption = "Виртуальная память:"},
    {.kind = Kind::Label, .name = "lbVirtual", .parent = "gbROtherInfo", .bounds = {8, 16, 273, 13}},
    {.kind = Kind::Label, .name = "lbAvailVirtual", .parent = "gbROtherInfo",
     .bounds = {8, 32, 273, 13}},
    {.kind = Kind::GroupBox, .name = "gbPFInfo", .parent = "TabSheet16",
     .bounds = {7, 168, 289, 57}, .caption = "Файл подкачки:"},
    {.kind = Kind::Label, .name = "lbPF", .parent = "gbPFInfo", .bounds = {8, 16, 273, 13}},
    {.kind = Kind::Label, .name = "lbPFFree", .parent = "gbPFInfo", .bounds = {8, 32, 273, 13}},
    {.kind = Kind::GroupBox, .name = "gbHDDInfo", .parent = "TabSheet16",
     .bounds = {8, 230, 289, 105}, .caption = "Жесткий диск:"},
    {.kind = Kind::Label, .name = "lbVolume", .parent = "gbHDDInfo", .bounds = {8, 16, 273, 13}},
    {.kind = Kind::Label, .name = "lbSerialHdd", .parent = "gbHDDInfo", .bounds = {8, 32, 273, 13}},
    {.kind = Kind::Label, .name = "lbFSN", .parent = "gbHDDInfo", .bounds = {8, 48, 273, 13}},
};

struct MemoryLine {
  const char* label;
  const char* lead;
  std::uint64_t MemoryFacts::*bytes;
  const char* unit;
};

constexpr const char* kTotal = "Всего: \t\t\t";
constexpr const char* kFree = "Свободно: \t\t";
constexpr MemoryLine kMemoryLines[] = {
    {"lbRAM", kTotal, &MemoryFacts::totalPhys, " МБ ОЗУ"},
    {"lbFreeRam", kFree, &MemoryFacts::availPhys, " МБ"},
    {"lbPF", kTotal, &MemoryFacts::totalPageFile, " МБ"},
    {"lbPFFree", kFree, &MemoryFacts::availPageFile, " МБ"},
    {"lbVirtual", kTotal, &MemoryFacts::totalVirtual, " МБ"},
    {"lbAvailVirtual", kFree, &MemoryFacts::availVirtual, " МБ"},
};

void ShowPlatform(Context& ctx, SystemFacts& facts) {
  VersionFacts version;
  const bool known = facts.Version(version);
  const int code = info::VersionCode(known, version);
  ctx.Get("WinVerLabel").SetText(info::PlatformText(code, version) +
                                 info::DosText(code, version));
}

void ShowMemory(Context& ctx, SystemFacts& facts) {
  const MemoryFacts memory = facts.Memory();
  for (const MemoryLine& line : kMemoryLines) {
    ctx.Get(line.label).SetText(line.lead + std::to_string(info::Megabytes(memory.*line.bytes)) +
                                line.unit);
  }
  ctx.Get("lbUseProc").SetText("Занято: \t\t" + std::to_string(memory.load) + "%");
}

// A failed volume query shows empty values.
void ShowDisk(Context& ctx, SystemFacts& facts) {
  const std::string root = GetWindowsDir(*ctx.platform.system).substr(0, 2) + "\\";
  VolumeFacts volume;
  const bool known = facts.Volume(root, volume);
  ctx.Get("lbVolume").SetText("Метка тома: \t\t" + (known ? volume.label : std::string()));
  ctx.Get("lbSerialHdd").SetText("Серийный номер: \t" +
                                 (known ? info::SerialText(volume.serial) : std::string()));
  ctx.Get("lbFSN").SetText("Файловая система: \t" + (known ? volume.fileSystem : std::string()));
}

}  // namespace

std::span<const ui::ControlSpec> InfoPageTable() { return kInfoPage; }

void ShowSystemInfo(Context& ctx) {
  SystemFacts& facts = *ctx.platform.facts;
  ShowPlatform(ctx, facts);
  ShowMemory(ctx, facts);
  ShowDisk(ctx, facts);
}

}  // namespace vlx
