// vxeject.dll: an in-process shell extension. On the context menu of a CD-ROM drive it offers
// "Закрыть", which closes the drive's tray through MCI. It uses nothing of the C++ library, so
// nothing of it is linked in: objects live in COM task memory.
#include <windows.h>
#include <mmsystem.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "vxeject/vxeject_keys.h"

namespace {

HINSTANCE g_module = nullptr;
LONG g_objects = 0;  // live COM objects
LONG g_locks = 0;    // IClassFactory::LockServer

// {8E8E8F8A-8FCC-88CE-BCB8-B8FD8E88888A}
const CLSID kClsidEject = {0x8E8E8F8A, 0x8FCC, 0x88CE,
                           {0xBC, 0xB8, 0xB8, 0xFD, 0x8E, 0x88, 0x88, 0x8A}};

constexpr char kCaption[] = "Закрыть";
constexpr char kHelpText[] = "Закрыть лоток дисковода компакт-дисков";
constexpr char kVerb[] = "close";

// Closes the tray of the CD-ROM drive whose root is `root` ("D:\").
bool CloseTray(const char* root) {
  char command[64];
  std::snprintf(command, sizeof command, "open %c: type cdaudio alias vxeject_tray wait", root[0]);
  if (mciSendStringA(command, nullptr, 0, nullptr) != 0) return false;
  const bool closed = mciSendStringA("set vxeject_tray door closed wait", nullptr, 0, nullptr) == 0;
  mciSendStringA("close vxeject_tray", nullptr, 0, nullptr);
  return closed;
}

// Copies text into a caller's buffer of `size` characters, always terminated.
HRESULT CopyOut(const char* text, UINT uType, char* out, UINT size) {
  if (size == 0) return E_INVALIDARG;
  if (uType & GCS_UNICODE) {
    auto* wide = reinterpret_cast<wchar_t*>(out);
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(size)) == 0) {
      wide[size - 1] = L'\0';
    }
  } else {
    lstrcpynA(out, text, static_cast<int>(size));
  }
  return S_OK;
}

class EjectMenu final : public IShellExtInit, public IContextMenu {
 public:
  EjectMenu() { InterlockedIncrement(&g_objects); }
  ~EjectMenu() { InterlockedDecrement(&g_objects); }
  EjectMenu(const EjectMenu&) = delete;
  EjectMenu& operator=(const EjectMenu&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellExtInit)) {
      *out = static_cast<IShellExtInit*>(this);
    } else if (IsEqualIID(riid, IID_IContextMenu)) {
      *out = static_cast<IContextMenu*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) {
      this->~EjectMenu();
      CoTaskMemFree(this);
    }
    return left;
  }

  // IShellExtInit: remembers the one drive the menu is for.
  HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) override {
    drive_[0] = '\0';
    if (!data) return E_INVALIDARG;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return E_INVALIDARG;
    HRESULT result = E_INVALIDARG;
    if (auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal))) {
      // Only the drive letter matters: the name is cut to its first three characters.
      char path[sizeof drive_] = "";
      if (DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) == 1 &&
          DragQueryFileA(drop, 0, path, sizeof path) >= 2 && path[1] == ':') {
        drive_[0] = path[0];
        drive_[1] = ':';
        drive_[2] = '\\';
        drive_[3] = '\0';
        result = S_OK;
      }
      GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return result;
  }

  // IContextMenu
  HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT,
                                             UINT flags) override {
    if ((flags & CMF_DEFAULTONLY) || !drive_[0] || GetDriveTypeA(drive_) != DRIVE_CDROM) {
      return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    }
    if (!InsertMenuA(menu, index, MF_BYPOSITION | MF_STRING, first, kCaption)) {
      return HRESULT_FROM_WIN32(GetLastError());
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
  }
  HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
    if (!info || !drive_[0]) return E_INVALIDARG;
    const auto verb = reinterpret_cast<ULONG_PTR>(info->lpVerb);
    const bool ours = HIWORD(verb) == 0 ? LOWORD(verb) == 0 : lstrcmpiA(info->lpVerb, kVerb) == 0;
    if (!ours) return E_INVALIDARG;
    return CloseTray(drive_) ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR command, UINT type, UINT*, CHAR* out,
                                             UINT size) override {
    if (command != 0) return E_INVALIDARG;
    switch (type & ~GCS_UNICODE) {
      case GCS_VERBA: return CopyOut(kVerb, type, out, size);
      case GCS_HELPTEXTA: return CopyOut(kHelpText, type, out, size);
      case GCS_VALIDATEA: return S_OK;
      default: return E_INVALIDARG;
    }
  }

 private:
  LONG refs_ = 1;
  char drive_[4] = "";  // "D:\\"
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // The factory is a static object: its count only keeps the module loaded.
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&g_locks); }
  ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&g_locks); }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    void* memory = CoTaskMemAlloc(sizeof(EjectMenu));
    if (!memory) return E_OUTOFMEMORY;
    auto* menu = new (memory) EjectMenu();
    const HRESULT result = menu->QueryInterface(riid, out);
    menu->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      InterlockedIncrement(&g_locks);
    } else {
      InterlockedDecrement(&g_locks);
    }
    return S_OK;
  }
};

Factory g_factory;

// An open registry key, closed on every path.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The full path of this library; false when it does not fit (Windows 9x paths never exceed it).
bool ModulePath(char (&path)[MAX_PATH]) {
  const DWORD length = GetModuleFileNameA(g_module, path, MAX_PATH);
  return length > 0 && length < MAX_PATH;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, kClsidEject)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, out);
}

STDAPI DllRegisterServer() {
  char module[MAX_PATH];
  if (!ModulePath(module)) return vxeject::kRegistrationFailed;
  for (const auto& entry : vxeject::kEntries) {
    Key key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, entry.key, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, key.out(), nullptr) != ERROR_SUCCESS) {
      return vxeject::kRegistrationFailed;
    }
    const char* data = std::strcmp(entry.data, vxeject::kModulePath) == 0 ? module : entry.data;
    if (RegSetValueExA(key.get(), entry.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                       static_cast<DWORD>(std::strlen(data) + 1)) != ERROR_SUCCESS) {
      return vxeject::kRegistrationFailed;
    }
  }
  return vxeject::kRegistered;
}

STDAPI DllUnregisterServer() {
  HRESULT result = vxeject::kRegistered;
  for (const char* path : vxeject::kOwnedKeys) {
    const LONG status = RegDeleteKeyA(HKEY_CLASSES_ROOT, path);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
      result = vxeject::kRegistrationFailed;
    }
  }
  return result;
}

}  // extern "C"
