#include <sys/sysinfo.h>

#include <gtest/gtest.h>

#include "prefix/prefix_facts.h"
#include "rules_fakes.h"
#include "store/reg_store.h"
#include "tool_screendeath_fixture.h"
#include "tools/info.h"

namespace vlx {
namespace {

TEST(InfoVersion, CodesAndTheirTexts) {
  struct Case {
    std::uint32_t platform, major, minor;
    const char* servicePack;
    int code;
    const char* name;
  } cases[] = {
      {1, 4, 0, "", 3, "Microsoft Windows 95"},
      {1, 4, 10, " A ", 5, "Microsoft Windows 98 SE"},
      {1, 4, 10, " B ", 4, "Microsoft Windows 98"},
      {1, 4, 10, "", 4, "Microsoft Windows 98"},
      {1, 4, 90, "", 6, "Microsoft Windows ME"},
      {2, 4, 0, "Service Pack 6", 7, "Microsoft Windows NT"},
      {2, 5, 0, "", 8, "Microsoft Windows 2000"},
      {2, 5, 1, "", 9, "Microsoft Windows XP"},
      {1, 4, 20, "", 1, "Microsoft Windows 9x 4.20"},
      {1, 5, 0, "", 1, "Microsoft Windows 9x 5.0"},
      {2, 5, 2, "", 2, "Microsoft Windows NT 5.2"},
      {2, 10, 0, "", 2, "Microsoft Windows NT 10.0"},
      {0, 3, 10, "", 0, "Unknown"},
  };
  for (const auto& c : cases) {
    VersionFacts v{.major = c.major, .minor = c.minor, .platformId = c.platform,
                   .servicePack = c.servicePack};
    EXPECT_EQ(info::VersionCode(true, v), c.code) << c.name;
    EXPECT_EQ(info::PlatformText(c.code, v), std::string("Платформа: \t") + c.name + " and ");
  }
  EXPECT_EQ(info::VersionCode(false, VersionFacts{.major = 4, .minor = 10, .platformId = 1, .servicePack = ""}), 0);
}

// The MS-DOS version each system carries, from its version record (GetVersion's high word holds
// flags and build numbers instead).
TEST(InfoVersion, DosVersionOfEachSystem) {
  struct Case {
    std::uint32_t platform, major, minor, build;
    const char* servicePack;
    const char* dos;
  } cases[] = {
      {1, 4, 0, 950, "", "DOS 7.00"},
      {1, 4, 0, 1111, " B", "DOS 7.10"},  // 95 OSR2
      {1, 4, 3, 1214, " C", "DOS 7.10"},  // 95 OSR2.5
      {1, 4, 10, 1998, "", "DOS 7.10"},
      {1, 4, 10, 2222, " A ", "DOS 7.10"},
      {1, 4, 90, 3000, " ", "DOS 8.00"},
      {2, 4, 0, 1381, "Service Pack 6", "DOS 5.00"},
      {2, 5, 1, 2600, "", "DOS 5.00"},
      {2, 10, 0, 19045, "", "DOS 5.00"},
      {0, 3, 10, 0, "", "DOS 0.00"},
  };
  for (const auto& c : cases) {
    VersionFacts v{.major = c.major, .minor = c.minor, .build = c.build, .platformId = c.platform,
                   .servicePack = c.servicePack};
    EXPECT_EQ(info::DosText(info::VersionCode(true, v), v), c.dos)
        << c.platform << " " << c.major << "." << c.minor << "." << c.build;
  }
  EXPECT_EQ(info::DosText(0, VersionFacts{}), "DOS 0.00") << "a failed version query";
}

TEST(InfoMemory, MegabytesOfTheDivisorNeverNegative) {
  EXPECT_EQ(info::Megabytes(67108864), 65u);
  EXPECT_EQ(info::Megabytes(0x80000000ull), 2096u);
  EXPECT_EQ(info::Megabytes(0xFFFFFFFFull), 4192u);
  EXPECT_EQ(info::Megabytes(16ull << 30), 16770u);
  EXPECT_EQ(info::SerialText(0x1A2B3C4D), "1A2B-3C4D");
  EXPECT_EQ(info::SerialText(0x000A00B0), "000A-00B0");
}

TEST(InfoPage, EveryLineFromTheSystem) {
  pagetest::PageMachine m;
  m.facts.version = VersionFacts{.major = 4, .minor = 10, .build = 0x040A08AE, .platformId = 1,
                                 .servicePack = " A "};
  m.facts.versionWord = 0xC0000A04;  // what Windows 98 SE's GetVersion returns
  m.facts.memory = {.load = 42, .totalPhys = 67108864, .availPhys = 3ull << 30,
                    .totalPageFile = 5ull << 30, .availPageFile = 1024417,
                    .totalVirtual = 0x7FFE0000, .availVirtual = 1024416};
  m.facts.volume = VolumeFacts{.label = "", .serial = 0x1A2B3C4D, .fileSystem = "FAT32"};
  ShowSystemInfo(m.ctx);
  struct Line {
    const char *label, *text;
  } lines[] = {
      {"WinVerLabel", "Платформа: \tMicrosoft Windows 98 SE and DOS 7.10"},
      {"lbRAM", "Всего: \t\t\t65 МБ ОЗУ"},
      {"lbFreeRam", "Свободно: \t\t3144 МБ"},
      {"lbUseProc", "Занято: \t\t42%"},
      {"lbPF", "Всего: \t\t\t5240 МБ"},
      {"lbPFFree", "Свободно: \t\t1 МБ"},
      {"lbVirtual", "Всего: \t\t\t2096 МБ"},
      {"lbAvailVirtual", "Свободно: \t\t0 МБ"},
      {"lbVolume", "Метка тома: \t\t"},
      {"lbSerialHdd", "Серийный номер: \t1A2B-3C4D"},
      {"lbFSN", "Файловая система: \tFAT32"},
  };
  for (const auto& line : lines) EXPECT_EQ(m.Get(line.label).Text(), line.text) << line.label;
  EXPECT_EQ(m.facts.roots, std::vector<std::string>{"C:\\"});

  // Shown again: a failed version query and a failed volume query.
  m.facts.version.reset();
  m.facts.versionWord = 0;
  m.facts.volume.reset();
  m.facts.memory.availPhys = 1024417 * 7;
  ShowSystemInfo(m.ctx);
  EXPECT_EQ(m.Get("WinVerLabel").Text(), "Платформа: \tUnknown and DOS 0.00");
  EXPECT_EQ(m.Get("lbFreeRam").Text(), "Свободно: \t\t7 МБ");
  EXPECT_EQ(m.Get("lbVolume").Text(), "Метка тома: \t\t");
  EXPECT_EQ(m.Get("lbSerialHdd").Text(), "Серийный номер: \t");
  EXPECT_EQ(m.Get("lbFSN").Text(), "Файловая система: \t");
}

void SetText(Registry& registry, const std::string& key, const std::string& name,
             const std::string& value, RegKey root = regroot::LocalMachine) {
  RegStore store(registry);
  store.SetRoot(root);
  ASSERT_TRUE(store.OpenPath(key, true));
  store.WriteText(name, value);
}

TEST(PrefixFacts, VersionFromTheImageAndFactsOfTheHost) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.path() / "drive_c");
  prefix::PathMapper paths(dir.path());
  testing::FakeRegistry registry;
  prefix::PrefixSystemFacts facts(registry, paths);

  VersionFacts v;
  EXPECT_FALSE(facts.Version(v)) << "an image that records no version";
  SetText(registry, "Software\\Microsoft\\Windows\\CurrentVersion", "VersionNumber", "4.10.2222");
  SetText(registry, "Software\\Microsoft\\Windows\\CurrentVersion", "SubVersionNumber", " A");
  ASSERT_TRUE(facts.Version(v));
  EXPECT_EQ(info::VersionCode(true, v), 5);
  EXPECT_EQ(v.build & 0xFFFF, 2222u);
  EXPECT_EQ(facts.VersionWord() & 0xFFFF, 0x0A04u);

  SetText(registry, "Software\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion", "5.1");
  SetText(registry, "Software\\Microsoft\\Windows NT\\CurrentVersion", "CurrentBuildNumber", "2600");
  ASSERT_TRUE(facts.Version(v));
  EXPECT_EQ(info::VersionCode(true, v), 9) << "a Wine prefix reports its Windows NT version";
  EXPECT_EQ(facts.VersionWord(), (2600u << 16) | 0x0105u);

  // A Wine prefix set to a 9x version shows that one, as Wine's GetVersionExA/GetVersion do.
  struct WineCase {
    const char* setting;
    int code;
    std::uint32_t word;
  } wineCases[] = {{"win98", 5, 0xC0000A04u}, {"WinME", 6, 0xC0005A04u}, {"win95", 3, 0xC0000004u},
                   {"winxp", 9, (2600u << 16) | 0x0105u}};
  for (const auto& c : wineCases) {
    SetText(registry, "Software\\Wine", "Version", c.setting, regroot::CurrentUser);
    ASSERT_TRUE(facts.Version(v)) << c.setting;
    EXPECT_EQ(info::VersionCode(true, v), c.code) << c.setting;
    EXPECT_EQ(facts.VersionWord(), c.word) << c.setting;
  }

  struct sysinfo host {};
  ASSERT_EQ(::sysinfo(&host), 0);
  const MemoryFacts memory = facts.Memory();
  EXPECT_EQ(memory.totalPhys, std::uint64_t(host.totalram) * host.mem_unit);
  EXPECT_LE(memory.availPhys, memory.totalPhys);
  EXPECT_LE(memory.load, 100u);

  VolumeFacts volume;
  ASSERT_TRUE(facts.Volume("C:\\", volume));
  EXPECT_EQ(volume.label, "");
  testing::WriteHostFile(dir.path() / "drive_c" / ".windows-label", "SYSTEM\n");
  testing::WriteHostFile(dir.path() / "drive_c" / ".windows-serial", "1a2b3c4d\n");
  ASSERT_TRUE(facts.Volume("C:\\", volume));
  EXPECT_EQ(volume.label, "SYSTEM");
  EXPECT_EQ(volume.serial, 0x1A2B3C4Du);
  EXPECT_FALSE(volume.fileSystem.empty());
  EXPECT_FALSE(facts.Volume("Q:\\", volume)) << "a drive the image does not have";
}

}  // namespace
}  // namespace vlx
