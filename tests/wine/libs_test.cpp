// vlximg.dll and vxeject.dll through the real API: pictures, data resources, registration.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include <fstream>
#include <iterator>

#include "app/image_library.h"
#include "store/store_error.h"
#include "unit/library_pictures.h"
#include "win32/win32_files.h"
#include "win32/win32_library.h"

namespace vlx::win32 {
namespace {

constexpr char kClassKey[] = "CLSID\\{8E8E8F8A-8FCC-88CE-BCB8-B8FD8E88888A}";

// The build folder: the libraries lie there, the test program one folder below.
std::string BuildFolder() {
  std::string path(MAX_PATH, '\0');
  path.resize(GetModuleFileNameA(nullptr, path.data(), MAX_PATH));
  path.erase(path.find_last_of('\\'));
  path.erase(path.find_last_of('\\') + 1);
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string DefaultValue(const std::string& key, const char* name = nullptr) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
    return "<absent>";
  }
  char data[MAX_PATH * 2] = "";
  DWORD size = sizeof data - 1;
  const LONG status = RegQueryValueExA(handle, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(handle);
  return status == ERROR_SUCCESS ? std::string(data) : "<no value>";
}

class LibsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The plain name "vlximg.dll" must be found the way the program finds it beside itself.
    ASSERT_TRUE(SetDllDirectoryA(folder_.c_str()));
    platform_.files = &files_;
    platform_.library = &library_;
  }
  void TearDown() override { SetDllDirectoryA(nullptr); }

  std::string folder_ = BuildFolder();
  Win32Library library_;
  Win32Files files_;
  Platform platform_;
};

TEST_F(LibsTest, LoadsBitmapsCursorAndIcons) {
  libtest::ExpectProgramPictures(library_, folder_);
  // The handles are real and outlive the library, which is already freed.
  const Picture background = LoadLibraryBitmap(library_, folder_, "BACKGROUND");
  BITMAP info{};
  ASSERT_NE(background.native, nullptr);
  EXPECT_NE(GetObjectA(static_cast<HBITMAP>(background.native.get()), sizeof info, &info), 0);
  EXPECT_EQ(GetModuleHandleA("vlximg.dll"), nullptr);
  const Picture arrow = LoadLibraryIcon(library_, folder_, 7);
  ASSERT_NE(arrow.native, nullptr);
  ICONINFO icon{};
  ASSERT_TRUE(GetIconInfo(static_cast<HICON>(arrow.native.get()), &icon));
  DeleteObject(icon.hbmColor);
  DeleteObject(icon.hbmMask);
}

TEST_F(LibsTest, ExtractsEveryDataResourceByteForByte) {
  // The generator's files are what the native PE reader is checked against as well.
  const std::string assets = folder_ + "resources\\vlximg\\";
  char temp[MAX_PATH] = "";
  ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
  const struct {
    const char* type;
    const char* name;
    const char* asset;
  } resources[] = {
      {"FOLDERSTYLE", "folderwin", "folderwin.dat"},   {"FOLDERSTYLE", "desktopwin", "desktopwin.dat"},
      {"FOLDERSTYLE", "foldersys", "foldersys.dat"},   {"FOLDERSTYLE", "desktopsys", "desktopsys.dat"},
      {"FOLDERSTYLE", "desktoprecycled", "desktoprecycled.dat"},
      {"FOLDERSTYLE", "desktopfonts", "desktopfonts.dat"},
      {"VXD", "CDFS", "cdfs.vxd"}, {"VXD", "NORMALCDFS", "normalcdfs.vxd"}, {"VXD", "VFAT", "vfat.vxd"},
  };
  for (const auto& r : resources) {
    const std::string out = std::string(temp) + "vlx-" + r.asset;
    ExtractResourceToFile(platform_, r.type, r.name, out);
    const std::string expected = ReadFile(assets + r.asset);
    EXPECT_FALSE(expected.empty()) << r.asset;
    EXPECT_EQ(ReadFile(out), expected) << r.name;
    DeleteFileA(out.c_str());
  }
  EXPECT_EQ(ReadFile(assets + "cdfs.vxd").size(), 79098u);
  EXPECT_THROW(ExtractResourceToFile(platform_, "VXD", "NOPE", std::string(temp) + "vlx-nope"), StoreError);
  EXPECT_THROW(ExtractResourceToFile(platform_, "VXD", "CDFS", std::string(temp) + "no\\such\\dir"), StoreError);
}

TEST_F(LibsTest, ShellExtensionRegistersAndUnregistersItself) {
  const std::string dll = folder_ + "vxeject.dll";
  std::int32_t result = -1;
  ASSERT_EQ(library_.CallEntry(dll, "DllRegisterServer", result), LibraryResult::Ok);
  EXPECT_EQ(result, 0);
  EXPECT_NE(DefaultValue(kClassKey), "");
  EXPECT_NE(DefaultValue(kClassKey), "<absent>");
  EXPECT_EQ(lstrcmpiA(DefaultValue(std::string(kClassKey) + "\\InprocServer32").c_str(), dll.c_str()), 0)
      << DefaultValue(std::string(kClassKey) + "\\InprocServer32");
  EXPECT_EQ(DefaultValue(std::string(kClassKey) + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(DefaultValue("Drive\\shellex\\ContextMenuHandlers\\VxEject"),
            "{8E8E8F8A-8FCC-88CE-BCB8-B8FD8E88888A}");

  ASSERT_EQ(library_.CallEntry(dll, "DllUnregisterServer", result), LibraryResult::Ok);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(DefaultValue(kClassKey), "<absent>");
  EXPECT_EQ(DefaultValue("Drive\\shellex\\ContextMenuHandlers\\VxEject"), "<absent>");

  EXPECT_EQ(library_.CallEntry(dll, "DllInstall", result), LibraryResult::NotFound);
  EXPECT_EQ(library_.CallEntry(folder_ + "none.dll", "DllRegisterServer", result),
            LibraryResult::LibraryMissing);
}

// A data object holding one path as CF_HDROP, as the shell hands a drive to its menu handlers.
class DropOf final : public IDataObject {
 public:
  explicit DropOf(const std::string& path) : path_(path) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    const SIZE_T size = sizeof(DROPFILES) + path_.size() + 2;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path_.c_str(), path_.size());
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  std::string path_;
};

// The menu items vxeject.dll adds for a drive ("" when it adds none); `init` the Initialize result.
std::string MenuFor(const std::string& drive, HRESULT& init) {
  HMODULE module = LoadLibraryA((BuildFolder() + "vxeject.dll").c_str());
  if (!module) return "<no library>";
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto get = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  const CLSID clsid = {0x8E8E8F8A, 0x8FCC, 0x88CE, {0xBC, 0xB8, 0xB8, 0xFD, 0x8E, 0x88, 0x88, 0x8A}};
  std::string items = "<no factory>";
  IClassFactory* factory = nullptr;
  if (get && SUCCEEDED(get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
    IShellExtInit* ext = nullptr;
    items = "<no instance>";
    if (SUCCEEDED(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&ext)))) {
      DropOf data(drive);
      init = ext->Initialize(nullptr, &data, nullptr);
      IContextMenu* menu = nullptr;
      items = "<no menu>";
      if (SUCCEEDED(ext->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)))) {
        HMENU popup = CreatePopupMenu();
        const HRESULT added = menu->QueryContextMenu(popup, 0, 100, 200, CMF_NORMAL);
        items.clear();
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
          char text[64] = "";
          GetMenuStringA(popup, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
          items += (items.empty() ? "" : "|") + std::string(text) + "#" +
                   std::to_string(GetMenuItemID(popup, i));
        }
        if (HRESULT_CODE(added) != GetMenuItemCount(popup)) items += " <count " + std::to_string(HRESULT_CODE(added)) + ">";
        char verb[16] = "";
        if (!items.empty() && SUCCEEDED(menu->GetCommandString(0, GCS_VERBA, nullptr, verb, sizeof verb))) {
          items += std::string(" verb=") + verb;
        }
        DestroyMenu(popup);
        menu->Release();
      }
      ext->Release();
    }
    factory->Release();
  }
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  if (!canUnload || canUnload() != S_OK) items += " <still in use>";
  FreeLibrary(module);
  return items;
}

TEST(VxEject, OffersCloseOnCdDrivesOnly) {
  HRESULT init = E_FAIL;
  EXPECT_EQ(MenuFor("C:\\", init), "");
  EXPECT_EQ(init, S_OK);
  EXPECT_EQ(MenuFor("C:\\Windows\\notepad.exe", init), "");
  // libs-test.sh maps a CD-ROM drive into its prefix and names it here.
  const char* cd = std::getenv("VLX_CD_DRIVE");
  if (!cd) GTEST_SKIP() << "no CD-ROM drive in this prefix (VLX_CD_DRIVE)";
  EXPECT_EQ(MenuFor(std::string(cd) + "\\", init), "Закрыть#100 verb=close");
  EXPECT_EQ(init, S_OK);
}

}  // namespace
}  // namespace vlx::win32
