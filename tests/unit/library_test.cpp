#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "app/image_library.h"
#include "prefix/machine_image.h"
#include "prefix/prefix_machine.h"
#include "prefix/path_mapper.h"
#include "prefix/prefix_files.h"
#include "prefix/prefix_library.h"
#include "unit/library_embedded.h"
#include "unit/library_pictures.h"
#include "store/store_error.h"
#include "vxeject/vxeject_keys.h"

namespace vlx::prefix {
namespace {

namespace fs = std::filesystem;

constexpr char kProgramFolder[] = "C:\\Program Files\\Volnerix\\";
constexpr char kClassKey[] = "CLSID\\{8E8E8F8A-8FCC-88CE-BCB8-B8FD8E88888A}";

std::string Lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// HKEY_CLASSES_ROOT only, REG_SZ values only: what the registration entries touch.
class ClassesRoot : public Registry {
 public:
  struct Key {
    std::map<std::string, std::string> values;  // lower-case name -> data without the zero
  };
  std::map<std::string, Key> keys;  // lower-case path -> key

  long OpenKey(RegKey parent, const std::string& path, RegKey& result) override {
    if (parent != regroot::ClassesRoot || !keys.count(Lowered(path))) return winerr::FileNotFound;
    return Open(path, result);
  }
  long CreateKey(RegKey parent, const std::string& path, RegKey& result) override {
    if (parent != regroot::ClassesRoot) return winerr::InvalidHandle;
    for (std::size_t at = 0; at != std::string::npos;) {
      at = path.find('\\', at + 1);
      keys[Lowered(path.substr(0, at))];
    }
    return Open(path, result);
  }
  long CloseKey(RegKey key) override { return open.erase(key) ? winerr::Success : winerr::InvalidHandle; }
  long QueryValue(RegKey, const std::string&, std::uint32_t*, unsigned char*, std::uint32_t*) override {
    return winerr::InvalidParameter;
  }
  long SetValue(RegKey key, const std::string& name, std::uint32_t type, const unsigned char* data,
                std::uint32_t size) override {
    if (!open.count(key) || type != regtype::Sz || size == 0 || data[size - 1] != 0) {
      return winerr::InvalidParameter;
    }
    keys[open[key]].values[Lowered(name)] = std::string(reinterpret_cast<const char*>(data), size - 1);
    return winerr::Success;
  }
  long DeleteValue(RegKey, const std::string&) override { return winerr::InvalidParameter; }
  long DeleteKey(RegKey parent, const std::string& subkey) override {
    const std::string path = Lowered(subkey);
    if (parent != regroot::ClassesRoot || !keys.count(path)) return winerr::FileNotFound;
    for (const auto& [other, key] : keys) {
      if (other.rfind(path + "\\", 0) == 0) return winerr::AccessDenied;  // has subkeys
    }
    keys.erase(path);
    return winerr::Success;
  }
  long EnumKey(RegKey, std::uint32_t, std::string&) override { return winerr::NoMoreItems; }
  long EnumValue(RegKey, std::uint32_t, std::string&, std::uint32_t&, std::string&) override {
    return winerr::NoMoreItems;
  }
  long QueryInfoKey(RegKey, RegKeyInfo&) override { return winerr::InvalidParameter; }

  const std::string* Value(const std::string& key, const std::string& name) const {
    const auto k = keys.find(Lowered(key));
    if (k == keys.end()) return nullptr;
    const auto v = k->second.values.find(Lowered(name));
    return v == k->second.values.end() ? nullptr : &v->second;
  }

  std::map<RegKey, std::string> open;

 private:
  long Open(const std::string& path, RegKey& result) {
    result = next++;
    open[result] = Lowered(path);
    return winerr::Success;
  }
  RegKey next = 0x1000;
};

using libtest::Asset;
using libtest::Embedded;

std::string ReadHostFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteHostFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// A machine image with both libraries in the program folder.
class LibraryTest : public ::testing::Test {
 protected:
  LibraryTest()
      : root_(fs::path(::testing::TempDir()) /
              ("library-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
               "-" + std::to_string(::getpid()))),
        paths_((fs::remove_all(root_), fs::create_directories(root_ / "drive_c/windows/system"), root_)),
        files_(paths_),
        library_([this](const std::string& p) { return paths_.ToHost(p); },
                 [] { return std::vector<std::string>{kProgramFolder, "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS"}; },
                 registry_, journal_) {
    WriteHostFile(Program("vlximg.dll"), Embedded("vlximg.dll"));
    WriteHostFile(Program("vxeject.dll"), Embedded("vxeject.dll"));
    platform_.files = &files_;
    platform_.library = &library_;
  }
  ~LibraryTest() override { fs::remove_all(root_); }

  fs::path Program(const std::string& name) const { return root_ / "drive_c/Program Files/Volnerix" / name; }

  fs::path root_;
  PathMapper paths_;
  PrefixFiles files_;
  ClassesRoot registry_;
  Journal journal_;
  PrefixLibrary library_;
  Platform platform_;
};

TEST_F(LibraryTest, FindsPlainNamesFromTheProgramFolderOnAndFullPathsAsGiven) {
  EXPECT_TRUE(library_.CanLoad("vlximg.dll"));
  EXPECT_TRUE(library_.CanLoad("VLXIMG.DLL"));
  EXPECT_TRUE(library_.CanLoad("c:\\program files\\volnerix\\vlximg.dll"));
  EXPECT_FALSE(library_.CanLoad("C:\\WINDOWS\\vlximg.dll"));
  EXPECT_FALSE(library_.CanLoad("other.dll"));

  // Found further down the search order once the program folder lacks it.
  fs::rename(Program("vlximg.dll"), root_ / "drive_c/windows/system/vlximg.dll");
  EXPECT_EQ(library_.LoadBitmapPicture("vlximg.dll", "BACKGROUND").origin,
            "C:\\WINDOWS\\SYSTEM\\vlximg.dll,BACKGROUND");
  EXPECT_TRUE(LoadLibraryBitmap(library_, kProgramFolder, "BACKGROUND").Empty());
  EXPECT_TRUE(journal_.Entries().empty());
}

TEST_F(LibraryTest, LoadsThePicturesTheProgramShows) {
  vlx::libtest::ExpectProgramPictures(library_, kProgramFolder);
  EXPECT_TRUE(journal_.Entries().empty());
}

TEST_F(LibraryTest, MissingLibraryDoesNothingAndReportsNothing) {
  fs::remove(Program("vlximg.dll"));
  fs::remove(Program("vxeject.dll"));
  std::string bytes = "untouched";
  std::int32_t result = 7;
  EXPECT_EQ(library_.ReadResource("vlximg.dll", "VXD", "CDFS", bytes), LibraryResult::LibraryMissing);
  EXPECT_EQ(bytes, "untouched");
  EXPECT_TRUE(LoadLibraryBitmap(library_, kProgramFolder, "BACKGROUND").Empty());
  EXPECT_TRUE(LoadLibraryCursor(library_, kProgramFolder, "SELECTCOLOR").Empty());
  EXPECT_TRUE(LoadLibraryIcon(library_, kProgramFolder, 0).Empty());
  EXPECT_EQ(library_.CallEntry(std::string(kProgramFolder) + "vxeject.dll", "DllRegisterServer", result),
            LibraryResult::LibraryMissing);
  EXPECT_EQ(result, 7);

  EXPECT_NO_THROW(ExtractResourceToFile(platform_, "FOLDERSTYLE", "desktopfonts", "C:\\WINDOWS\\Desktop.ini"));
  EXPECT_NO_THROW(ExtractResourceToFile(platform_, "FOLDERSTYLE", "nope", "C:\\WINDOWS\\Desktop.ini"));
  EXPECT_FALSE(fs::exists(root_ / "drive_c/windows/Desktop.ini"));
  EXPECT_TRUE(journal_.Entries().empty());
  EXPECT_TRUE(registry_.keys.empty());
}

TEST_F(LibraryTest, DamagedLibraryFailsToLoadAndTheJournalSaysWhy) {
  const std::string intact = Embedded("vlximg.dll");
  WriteHostFile(Program("vlximg.dll"), intact.substr(0, intact.size() / 2));
  std::string bytes;
  EXPECT_EQ(library_.ReadResource("vlximg.dll", "VXD", "CDFS", bytes), LibraryResult::LibraryMissing);
  EXPECT_TRUE(LoadLibraryIcon(library_, kProgramFolder, 0).Empty());
  ASSERT_FALSE(journal_.Entries().empty());
  EXPECT_NE(journal_.Entries().front().find("C:\\Program Files\\Volnerix\\vlximg.dll: damaged library:"),
            std::string::npos)
      << journal_.Entries().front();
}

// A library is kept for the run once loaded, but a file changed or gone since is not: the next
// lookup sees the file as it is now.
TEST_F(LibraryTest, AKeptLibraryIsReadAgainOnceItsFileChanged) {
  const std::string intact = Embedded("vlximg.dll");
  std::string bytes;
  ASSERT_EQ(library_.ReadResource("vlximg.dll", "VXD", "CDFS", bytes), LibraryResult::Ok);
  const std::string cdfs = bytes;
  EXPECT_FALSE(LoadLibraryBitmap(library_, kProgramFolder, "BACKGROUND").Empty());

  WriteHostFile(Program("vlximg.dll"), intact.substr(0, intact.size() / 2));  // damaged
  EXPECT_EQ(library_.ReadResource("vlximg.dll", "VXD", "CDFS", bytes), LibraryResult::LibraryMissing);
  WriteHostFile(Program("vlximg.dll"), intact);  // mended
  EXPECT_EQ(library_.ReadResource("vlximg.dll", "VXD", "CDFS", bytes), LibraryResult::Ok);
  EXPECT_EQ(bytes, cdfs);
  fs::remove(Program("vlximg.dll"));  // gone
  EXPECT_EQ(library_.ReadResource("vlximg.dll", "VXD", "CDFS", bytes), LibraryResult::LibraryMissing);
  EXPECT_TRUE(LoadLibraryBitmap(library_, kProgramFolder, "BACKGROUND").Empty());
}

TEST_F(LibraryTest, ExtractResourceToFileWritesTheBytesExactly) {
  const std::string expected = Asset("desktoprecycled.dat");
  ASSERT_FALSE(expected.empty());
  WriteHostFile(root_ / "drive_c/Recycled/Desktop.ini", std::string(5000, 'x'));  // replaced, not merged
  ExtractResourceToFile(platform_, "FOLDERSTYLE", "desktoprecycled", "C:\\RECYCLED\\desktop.ini");
  EXPECT_EQ(ReadHostFile(root_ / "drive_c/Recycled/Desktop.ini"), expected);

  ExtractResourceToFile(platform_, "VXD", "CDFS", "C:\\WINDOWS\\SYSTEM\\Cdfs.vxd");
  EXPECT_EQ(fs::file_size(root_ / "drive_c/windows/system/Cdfs.vxd"), 79098u);

  struct Failure {
    const char* type;
    const char* name;
    const char* path;
    const char* message;
  } failures[] = {
      {"FOLDERSTYLE", "nope", "C:\\WINDOWS\\x.ini", "Resource nope not found"},
      {"FOLDERSTYLE", "CDFS", "C:\\WINDOWS\\x.ini", "Resource CDFS not found"},
      {"FOLDERSTYLE", "desktopfonts", "C:\\No Such Folder\\Desktop.ini",
       "Cannot create file C:\\No Such Folder\\Desktop.ini"},
  };
  for (const auto& f : failures) {
    try {
      ExtractResourceToFile(platform_, f.type, f.name, f.path);
      ADD_FAILURE() << f.message << ": no error";
    } catch (const StoreError& error) {
      EXPECT_STREQ(error.what(), f.message);
    }
  }
  EXPECT_FALSE(fs::exists(root_ / "drive_c/windows/x.ini"));
}

TEST_F(LibraryTest, RegistrationEntriesOfTheShellExtensionWriteAndRemoveItsKeys) {
  const std::string path = std::string(kProgramFolder) + "vxeject.dll";
  std::int32_t result = -1;
  ASSERT_EQ(library_.CallEntry(path, "DllRegisterServer", result), LibraryResult::Ok);
  EXPECT_EQ(result, 0);
  ASSERT_NE(registry_.Value(kClassKey, ""), nullptr);
  EXPECT_FALSE(registry_.Value(kClassKey, "")->empty());
  EXPECT_EQ(*registry_.Value(std::string(kClassKey) + "\\InprocServer32", ""), path);
  EXPECT_EQ(*registry_.Value(std::string(kClassKey) + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(*registry_.Value("Drive\\shellex\\ContextMenuHandlers\\VxEject", ""),
            "{8E8E8F8A-8FCC-88CE-BCB8-B8FD8E88888A}");
  EXPECT_TRUE(registry_.open.empty()) << "a key was left open";

  ASSERT_EQ(library_.CallEntry(path, "DllUnregisterServer", result), LibraryResult::Ok);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(registry_.keys.count(Lowered(kClassKey)), 0u);
  EXPECT_EQ(registry_.keys.count("drive\\shellex\\contextmenuhandlers\\vxeject"), 0u);
  EXPECT_EQ(registry_.keys.count("drive\\shellex\\contextmenuhandlers"), 1u);  // not ours
  ASSERT_EQ(library_.CallEntry(path, "DllUnregisterServer", result), LibraryResult::Ok);
  EXPECT_EQ(result, 0) << "nothing left to remove is success";

  // A key someone else put under the class key stays, and the call reports failure.
  RegKey key = 0;
  registry_.CreateKey(regroot::ClassesRoot, std::string(kClassKey) + "\\Other", key);
  EXPECT_EQ(library_.CallEntry(path, "DllUnregisterServer", result), LibraryResult::Ok);
  EXPECT_EQ(result, vxeject::kRegistrationFailed);
}

TEST_F(LibraryTest, EntryPointsTheLibraryLacksAreReportedApart) {
  std::int32_t result = 7;
  EXPECT_EQ(library_.CallEntry(std::string(kProgramFolder) + "vxeject.dll", "DllInstall", result),
            LibraryResult::NotFound);
  EXPECT_EQ(library_.CallEntry(std::string(kProgramFolder) + "vlximg.dll", "DllRegisterServer", result),
            LibraryResult::NotFound);
  EXPECT_EQ(result, 7);
  // Another library's code cannot run offline: a failure code and a journal line, no registry change.
  fs::copy_file(Program("vxeject.dll"), Program("other.dll"));
  EXPECT_EQ(library_.CallEntry(std::string(kProgramFolder) + "other.dll", "DllRegisterServer", result),
            LibraryResult::Ok);
  EXPECT_LT(result, 0);
  EXPECT_EQ(journal_.Entries().size(), 1u);
  EXPECT_TRUE(registry_.keys.empty());
}

TEST(MachineImageLibraries, FreshImageCarriesBothLibrariesInTheProgramFolder) {
  const fs::path root = fs::path(::testing::TempDir()) / ("library-image-" + std::to_string(::getpid()));
  fs::remove_all(root);
  CreateMachineImage(root);
  for (const char* name : {"vlximg.dll", "vxeject.dll"}) {
    EXPECT_EQ(ReadHostFile(root / "drive_c/Program Files/Volnerix" / name), Embedded(name)) << name;
  }
  {
    PrefixMachine machine(root);
    Platform& platform = machine.platform();
    ASSERT_NE(platform.library, nullptr);
    vlx::libtest::ExpectProgramPictures(*platform.library, kImageProgramFolder);
    ExtractResourceToFile(platform, "FOLDERSTYLE", "desktopfonts", "C:\\WINDOWS\\Fonts.ini");
    EXPECT_EQ(ReadHostFile(*PathMapper(root).ToHost("C:\\WINDOWS\\Fonts.ini")), Asset("desktopfonts.dat"));

    std::int32_t result = -1;
    ASSERT_EQ(platform.library->CallEntry(std::string(kImageProgramFolder) + "vxeject.dll",
                                          "DllRegisterServer", result),
              LibraryResult::Ok);
    EXPECT_EQ(result, 0);
    machine.Flush();
  }
  // Written to the image's hive: a fresh machine reads the class key back.
  PrefixMachine machine(root);
  Registry& registry = *machine.platform().registry;
  RegKey key = 0;
  ASSERT_EQ(registry.OpenKey(regroot::ClassesRoot, std::string(kClassKey) + "\\InprocServer32", key),
            winerr::Success);
  char data[128] = "";
  std::uint32_t type = 0, size = sizeof data;
  EXPECT_EQ(registry.QueryValue(key, "", &type, reinterpret_cast<unsigned char*>(data), &size), winerr::Success);
  registry.CloseKey(key);
  EXPECT_EQ(type, regtype::Sz);
  EXPECT_STREQ(data, "C:\\Program Files\\Volnerix\\vxeject.dll");
  fs::remove_all(root);
}

}  // namespace
}  // namespace vlx::prefix
