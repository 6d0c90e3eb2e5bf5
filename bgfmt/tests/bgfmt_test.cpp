#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "core/bgfmt.h"

namespace bgfmt {
namespace {

using ::testing::IsEmpty;

class FakeRegistry final : public RegistryPort {
 public:
  std::map<std::string, RegistryValue> values;  // "key\\name"
  std::optional<RegistryValue> QueryValue(RootKey root, const std::string& keyPath,
                                          const std::string& valueName) override {
    if (root != RootKey::LocalMachine) return std::nullopt;
    const auto it = values.find(keyPath + "\\" + valueName);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void SetOrganisation(std::string data, std::uint32_t type = kRegSz) {
    values[std::string(kVersionKey) + "\\" + kOrganisationValue] = {type, std::move(data)};
  }
};

// Drives by letter with their DRIVE_* type; every type query is recorded.
class FakeDrives final : public DrivePort {
 public:
  std::map<char, unsigned> types;
  std::vector<std::string> asked;
  std::uint32_t LogicalDriveMask() override {
    std::uint32_t mask = 0;
    for (const auto& [letter, type] : types) mask |= 1u << (letter - 'A');
    return mask;
  }
  unsigned DriveTypeOf(const std::string& root) override {
    asked.push_back(root);
    return types.at(root.at(0));
  }
};

class FakeShell final : public ShellPort {
 public:
  struct Run {
    std::string verb, file, parameters;
    int show;
  };
  std::vector<Run> runs;
  std::intptr_t result = 42;
  struct Box {
    std::string text, title;
    unsigned flags;
  };
  std::vector<Box> boxes;
  std::intptr_t Execute(const std::string& verb, const std::string& file,
                        const std::string& parameters, int show) override {
    runs.push_back({verb, file, parameters, show});
    return result;
  }
  void ShowMessage(const std::string& text, const std::string& title, unsigned flags) override {
    boxes.push_back({text, title, flags});
  }
};

constexpr unsigned kFixed = 3, kRemote = 4, kCdRom = 5;

struct Machine {
  FakeRegistry registry;
  FakeDrives drives;
  FakeShell shell;
  System system{registry, drives, shell};
};

TEST(Bgfmt, ParameterTextNamesTheFirstRemovableDriveAndTheOrganisation) {
  struct Case {
    const char* what;
    std::map<char, unsigned> drives;
    std::optional<std::string> organisation;
    std::string expected;
  } cases[] = {
      {"A removable, C fixed", {{'A', kDriveRemovable}, {'C', kFixed}}, "Acme", "A: /V:\"Acme\" /U"},
      {"only B removable", {{'B', kDriveRemovable}, {'C', kFixed}, {'D', kCdRom}}, "Acme",
       "B: /V:\"Acme\" /U"},
      {"A and D removable", {{'A', kDriveRemovable}, {'C', kFixed}, {'D', kDriveRemovable}},
       "Acme", "A: /V:\"Acme\" /U"},
      {"removable after fixed and remote", {{'C', kFixed}, {'E', kRemote}, {'Z', kDriveRemovable}},
       "Acme", "Z: /V:\"Acme\" /U"},
      {"no removable drive", {{'C', kFixed}, {'D', kCdRom}}, "Acme", ""},
      {"no drives at all", {}, "Acme", ""},
      {"no organisation name", {{'A', kDriveRemovable}}, std::nullopt, "A: /V:\"\" /U"},
      {"empty organisation name", {{'A', kDriveRemovable}}, "", "A: /V:\"\" /U"},
      {"Cyrillic organisation name", {{'A', kDriveRemovable}}, "ООО «Ромашка»",
       "A: /V:\"ООО «Ромашка»\" /U"},
      {"name longer than a label, passed unchanged", {{'A', kDriveRemovable}},
       "Organisation with a long name", "A: /V:\"Organisation with a long name\" /U"},
  };
  for (const auto& c : cases) {
    Machine m;
    m.drives.types = c.drives;
    if (c.organisation) m.registry.SetOrganisation(*c.organisation + '\0');
    EXPECT_EQ(StartBackgroundFormat(m.system), 0) << c.what;
    ASSERT_EQ(m.shell.runs.size(), 1u) << c.what;
    EXPECT_EQ(m.shell.runs[0].parameters, c.expected) << c.what;
    EXPECT_EQ(m.shell.runs[0].verb, "open");
    EXPECT_EQ(m.shell.runs[0].file, "FORMAT.COM");
    EXPECT_EQ(m.shell.runs[0].show, 5);
    EXPECT_THAT(m.shell.boxes, IsEmpty()) << c.what;
  }
}

TEST(Bgfmt, DriveSearchStopsAtTheFirstRemovableDriveAndAsksOnlyPresentOnes) {
  Machine m;
  m.drives.types = {{'A', kFixed}, {'C', kDriveRemovable}, {'F', kDriveRemovable}};
  EXPECT_EQ(FindFloppyDrive(m.drives), 'C');
  EXPECT_EQ(m.drives.asked, (std::vector<std::string>{"A:\\", "C:\\"}));
}

TEST(Bgfmt, OrganisationNameIsTheTextUpToItsFirstZero) {
  struct Case {
    const char* what;
    std::optional<RegistryValue> value;
    std::string expected;
  } cases[] = {
      {"absent", std::nullopt, ""},
      {"text with terminator", RegistryValue{kRegSz, std::string("Acme\0", 5)}, "Acme"},
      {"text stored without terminator", RegistryValue{kRegSz, "Acme"}, "Acme"},
      {"embedded zero", RegistryValue{kRegSz, std::string("Ac\0me\0", 6)}, "Ac"},
      {"zero-length data", RegistryValue{kRegSz, ""}, ""},
      {"expandable text", RegistryValue{kRegExpandSz, std::string("%X%\0", 4)}, "%X%"},
      {"not a text", RegistryValue{4, std::string("\x01\0\0\0", 4)}, ""},
      {"binary", RegistryValue{3, "Acme"}, ""},
  };
  for (const auto& c : cases) {
    FakeRegistry registry;
    if (c.value) registry.SetOrganisation(c.value->data, c.value->type);
    EXPECT_EQ(ReadRegistryText(registry, RootKey::LocalMachine, kVersionKey, kOrganisationValue),
              c.expected)
        << c.what;
  }
}

TEST(Bgfmt, QuotesAndControlCharactersCannotBreakOutOfTheLabel) {
  EXPECT_EQ(FormatParameters('A', "x\" C: /Q \"y"), "A: /V:\"x C: /Q y\" /U");
  EXPECT_EQ(FormatParameters('A', "Acme\r\nC:\t"), "A: /V:\"AcmeC:\" /U");
  EXPECT_EQ(FormatParameters('B', "Ромашка & Co."), "B: /V:\"Ромашка & Co.\" /U");
  EXPECT_EQ(FormatParameters('\0', "Acme"), "");
}

TEST(Bgfmt, FailedStartShowsTheExactWarningAndStillEndsWithZero) {
  for (const std::intptr_t result : {0, 2, 31}) {
    Machine m;
    m.drives.types = {{'A', kDriveRemovable}};
    m.shell.result = result;
    EXPECT_EQ(StartBackgroundFormat(m.system), 0);
    ASSERT_EQ(m.shell.boxes.size(), 1u) << result;
    EXPECT_EQ(m.shell.boxes[0].title, "Background formatting");
    EXPECT_EQ(m.shell.boxes[0].flags, 0x2030u);  // MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL
    EXPECT_EQ(m.shell.boxes[0].text,
              "Невозможно начать форматирование дискеты !\r\r"
              "Возможно, программа форматирования дискет (Format.com) не\r"
              "установлена или была удалена.");
  }
  Machine m;
  m.shell.result = 32;
  StartBackgroundFormat(m.system);
  EXPECT_THAT(m.shell.boxes, IsEmpty());
}

}  // namespace
}  // namespace bgfmt
