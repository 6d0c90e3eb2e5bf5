#include "prefix/pe_resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "app/image_library.h"
#include "prefix/prefix_error.h"
#include "prefix/prefix_library.h"
#include "unit/library_embedded.h"

namespace vlx::prefix {
namespace {

using libtest::Asset;
using libtest::Embedded;

// Every resource the program names, and the asset file it was built from.
struct Expected {
  const char* type;
  const char* name;
  const char* asset;  // null: compared otherwise
};
const Expected kResources[] = {
    {"FOLDERSTYLE", "folderwin", "folderwin.dat"},
    {"FOLDERSTYLE", "desktopwin", "desktopwin.dat"},
    {"FOLDERSTYLE", "foldersys", "foldersys.dat"},
    {"FOLDERSTYLE", "desktopsys", "desktopsys.dat"},
    {"FOLDERSTYLE", "desktoprecycled", "desktoprecycled.dat"},
    {"FOLDERSTYLE", "desktopfonts", "desktopfonts.dat"},
    {"VXD", "CDFS", "cdfs.vxd"},
    {"VXD", "NORMALCDFS", "normalcdfs.vxd"},
    {"VXD", "VFAT", "vfat.vxd"},
    {"#2", "BACKGROUND", nullptr},
    {"#2", "STARTMENU", nullptr},
    {"#12", "SELECTCOLOR", nullptr},
};

TEST(PeImage, FindsEveryResourceOfTheImageLibrary) {
  const PeImage image(Embedded("vlximg.dll"), "vlximg.dll");
  for (const auto& e : kResources) {
    const PeResource* r = image.Find(ResourceId::Parse(e.type), ResourceId::Parse(e.name));
    ASSERT_NE(r, nullptr) << e.type << " " << e.name;
    if (e.asset) {
      EXPECT_EQ(image.Data(*r), Asset(e.asset)) << e.name;
    }
  }
  // A bitmap resource is its .bmp file without the 14-byte file header.
  const PeResource* background = image.Find(ResourceId::Parse("#2"), ResourceId::Parse("background"));
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(image.Data(*background), Asset("background.bmp").substr(14));

  EXPECT_EQ(image.Find(ResourceId::Parse("VXD"), ResourceId::Parse("CDFS"))->size, 79098u);
  EXPECT_NE(image.Find(ResourceId::Parse("VXD"), ResourceId::Parse("NORMALCDFS"))->size, 79098u);
  EXPECT_EQ(image.Find(ResourceId::Parse("VXD"), ResourceId::Parse("NOPE")), nullptr);
  EXPECT_EQ(image.Find(ResourceId::Parse("#10"), ResourceId::Parse("CDFS")), nullptr);

  // Icons 0..8 are the first nine icon groups in resource order.
  const auto groups = image.OfType(ResourceId::Parse("#14"));
  ASSERT_EQ(groups.size(), 9u);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    EXPECT_TRUE(groups[i]->name.isNumber);
    EXPECT_EQ(groups[i]->name.number, 100 + i);
  }
  EXPECT_TRUE(image.ExportedNames().empty());
}

TEST(PeImage, ReadsThe32BitBuildAlike) {
  std::ifstream in(std::string(VLX_BINARY_DIR) + "/resources/pe32/vlximg.dll", std::ios::binary);
  if (!in) GTEST_SKIP() << "no i686 mingw-w64 here";
  const PeImage pe32(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
                     "pe32/vlximg.dll");
  const PeImage pe64(Embedded("vlximg.dll"), "vlximg.dll");
  ASSERT_EQ(pe32.Resources().size(), pe64.Resources().size());
  for (std::size_t i = 0; i < pe32.Resources().size(); ++i) {
    const PeResource& a = pe32.Resources()[i];
    const PeResource& b = pe64.Resources()[i];
    EXPECT_EQ(a.type.Spelling() + "/" + a.name.Spelling(), b.type.Spelling() + "/" + b.name.Spelling());
    EXPECT_EQ(pe32.Data(a), pe64.Data(b)) << a.name.Spelling();
  }
}

TEST(PeImage, BuildWithoutDriverFilesCarriesMarkedStandIns) {
  const PeImage image(Embedded("vlximg.dll"), "vlximg.dll");
  for (const char* name : {"CDFS", "NORMALCDFS", "VFAT"}) {
    const PeResource* r = image.Find(ResourceId::Parse("VXD"), ResourceId::Parse(name));
    ASSERT_NE(r, nullptr);
    const auto data = image.Data(*r);
    EXPECT_TRUE(IsStandInDriver(data)) << name;
    EXPECT_NE(data.substr(0, 2), "MZ") << name;
  }
  EXPECT_FALSE(IsStandInDriver(Embedded("vxeject.dll")));
}

TEST(PeImage, ReadsTheShellExtensionsExports) {
  const PeImage image(Embedded("vxeject.dll"), "vxeject.dll");
  for (const char* name : {"DllRegisterServer", "DllUnregisterServer", "DllGetClassObject",
                           "DllCanUnloadNow"}) {
    EXPECT_TRUE(image.Exports(name)) << name;
  }
  EXPECT_FALSE(image.Exports("dllregisterserver"));
}

TEST(ResourceId, ParsesIdentifiersAndComparesTextsWithoutCase) {
  EXPECT_TRUE(ResourceId::Parse("#14").isNumber);
  EXPECT_EQ(ResourceId::Parse("#14").number, 14);
  for (const char* text : {"#", "#x", "#70000", "14", "#-1"}) {
    EXPECT_FALSE(ResourceId::Parse(text).isNumber) << text;
  }
  EXPECT_TRUE(ResourceId::Parse("FolderWin").Matches(ResourceId::Parse("FOLDERWIN")));
  EXPECT_TRUE(ResourceId::Parse("папка").Matches(ResourceId::Parse("ПАПКА")));
  EXPECT_FALSE(ResourceId::Parse("#14").Matches(ResourceId::Parse("14")));
}

// ---- damaged files

std::uint32_t Get32(const std::string& b, std::size_t at) {
  std::uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
void Put32(std::string& b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
void Put16(std::string& b, std::size_t at, std::uint16_t v) { std::memcpy(b.data() + at, &v, 2); }

// Offsets of the fields the faults below overwrite, walked on the intact file.
struct Layout {
  std::size_t pe, sections, resourceDirEntry, root, firstTypeEntry, firstDataEntry;
  std::size_t sectionCount, optionalSize;
};

Layout Walk(const std::string& b) {
  Layout l{};
  l.pe = Get32(b, 0x3C);
  l.sectionCount = l.pe + 6;
  l.optionalSize = l.pe + 20;
  const std::size_t optional = l.pe + 24;
  const bool plus = (Get32(b, optional) & 0xFFFF) == 0x20B;
  l.resourceDirEntry = optional + (plus ? 112 : 96) + 16;
  l.sections = optional + (Get32(b, l.pe + 20) & 0xFFFF);
  const std::uint32_t rva = Get32(b, l.resourceDirEntry);
  auto map = [&](std::uint32_t r) -> std::size_t {
    for (std::size_t i = 0; i < (Get32(b, l.pe + 6) & 0xFFFF); ++i) {
      const std::size_t s = l.sections + 40 * i;
      const std::uint32_t va = Get32(b, s + 12), raw = Get32(b, s + 20), size = Get32(b, s + 16);
      if (r >= va && r < va + size) return raw + (r - va);
    }
    ADD_FAILURE() << "unmapped rva";
    return 0;
  };
  l.root = map(rva);
  l.firstTypeEntry = l.root + 16;
  const std::size_t typeDir = l.root + (Get32(b, l.firstTypeEntry + 4) & 0x7FFFFFFF);
  const std::size_t nameDir = l.root + (Get32(b, typeDir + 16 + 4) & 0x7FFFFFFF);
  l.firstDataEntry = l.root + Get32(b, nameDir + 16 + 4);
  return l;
}

TEST(PeImage, DamagedFilesGiveAClearError) {
  const std::string intact = Embedded("vlximg.dll");
  const Layout l = Walk(intact);
  struct Fault {
    const char* what;
    std::function<void(std::string&)> damage;
  } faults[] = {
      {"empty file", [](std::string& b) { b.clear(); }},
      {"no MZ signature", [](std::string& b) { b[0] = 'X'; }},
      {"truncated in the MZ header", [](std::string& b) { b.resize(0x3E); }},
      {"PE header offset past the end", [](std::string& b) { Put32(b, 0x3C, 0xFFFFFFF0u); }},
      {"truncated in the PE header", [&](std::string& b) { b.resize(l.pe + 10); }},
      {"truncated in the section table", [&](std::string& b) { b.resize(l.sections + 50); }},
      {"section count past the end", [&](std::string& b) { Put16(b, l.sectionCount, 0xFFFF); }},
      {"optional header past the end", [&](std::string& b) { Put16(b, l.optionalSize, 0xFFFF); }},
      {"optional header too short", [&](std::string& b) { Put16(b, l.optionalSize, 8); }},
      {"resource directory in no section",
       [&](std::string& b) { Put32(b, l.resourceDirEntry, 0x7FFFFFF0u); }},
      {"type level pointing outside",
       [&](std::string& b) { Put32(b, l.firstTypeEntry + 4, 0xFFFFFFF0u); }},
      {"type level without subdirectory",
       [&](std::string& b) { Put32(b, l.firstTypeEntry + 4, 0x10); }},
      {"type name pointing outside", [&](std::string& b) { Put32(b, l.firstTypeEntry, 0xFFFFFFF0u); }},
      {"data outside its section", [&](std::string& b) { Put32(b, l.firstDataEntry, 0x7FFFFFF0u); }},
      {"data size past the section", [&](std::string& b) { Put32(b, l.firstDataEntry + 4, 0xFFFFFFF0u); }},
      {"file truncated in the resource data", [](std::string& b) { b.resize(b.size() - 1000); }},
      {"directories that multiply to billions of entries", [&](std::string& b) {
         // Root with n entries all leading to X, X with n entries all leading to an empty D.
         const std::uint32_t n = 40000, x = 16 + 8 * n, d = x + 16 + 8 * n;
         auto directory = [&](std::uint32_t at, std::uint16_t count, std::uint32_t target) {
           std::memset(b.data() + l.root + at, 0, 16);
           Put16(b, l.root + at + 14, count);
           for (std::uint32_t i = 0; i < count; ++i) {
             Put32(b, l.root + at + 16 + 8 * i, i + 1);
             Put32(b, l.root + at + 20 + 8 * i, 0x80000000u | target);
           }
         };
         directory(0, n, x);
         directory(x, n, d);
         directory(d, 0, 0);
       }},
  };
  for (const auto& fault : faults) {
    std::string bytes = intact;
    fault.damage(bytes);
    try {
      PeImage image(bytes, "C:\\damaged.dll");
      ADD_FAILURE() << fault.what << ": parsed without error";
    } catch (const PrefixError& error) {
      EXPECT_EQ(std::string(error.what()).rfind("C:\\damaged.dll: damaged library: ", 0), 0u)
          << fault.what << ": " << error.what();
    }
  }
}

TEST(PeImage, RandomDamageNeverReadsOutsideTheFile) {
  // Run under AddressSanitizer, this shows every offset is checked before it is used.
  const std::string intact = Embedded("vlximg.dll");
  const Layout l = Walk(intact);
  std::mt19937 random(1998);
  const std::size_t headerEnd = l.sections + 40 * 8;
  int failures = 0;
  for (int round = 0; round < 400; ++round) {
    std::string bytes = intact;
    for (int flips = 0; flips < 4; ++flips) {
      const bool inResources = random() % 2;
      const std::size_t at = inResources ? l.root + random() % 512 : random() % headerEnd;
      bytes[at] = static_cast<char>(random());
    }
    if (round % 5 == 0) bytes.resize(random() % bytes.size());
    try {
      PeImage image(bytes, "x");
      for (const auto& r : image.Resources()) EXPECT_EQ(image.Data(r).size(), r.size);
    } catch (const PrefixError&) {
      ++failures;
    }
  }
  EXPECT_GT(failures, 0);
}

}  // namespace
}  // namespace vlx::prefix
