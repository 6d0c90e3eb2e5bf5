// The registry entries of the shell extension vxeject.dll: its DllRegisterServer writes them under
// HKEY_CLASSES_ROOT and DllUnregisterServer removes them; the offline machine image applies the
// same table. No <windows.h> here: the portable core includes this too.
#pragma once

namespace vxeject {

#define VXEJECT_CLSID "{8E8E8F8A-8FCC-88CE-BCB8-B8FD8E88888A}"

inline constexpr char kClsid[] = VXEJECT_CLSID;
inline constexpr char kFileName[] = "vxeject.dll";
// Stands for the full path of the registered library file.
inline constexpr char kModulePath[] = "%MODULE%";

// One REG_SZ value under HKEY_CLASSES_ROOT; an empty name is the key's default value.
struct RegEntry {
  const char* key;
  const char* name;
  const char* data;
};

inline constexpr RegEntry kEntries[] = {
    {"CLSID\\" VXEJECT_CLSID, "", "Закрытие лотка CD-ROM (Volnerix)"},
    {"CLSID\\" VXEJECT_CLSID "\\InprocServer32", "", kModulePath},
    {"CLSID\\" VXEJECT_CLSID "\\InprocServer32", "ThreadingModel", "Apartment"},
    {"Drive\\shellex\\ContextMenuHandlers\\VxEject", "", VXEJECT_CLSID},
};

// The keys unregistration deletes, each after its subkeys.
inline constexpr const char* kOwnedKeys[] = {
    "CLSID\\" VXEJECT_CLSID "\\InprocServer32",
    "CLSID\\" VXEJECT_CLSID,
    "Drive\\shellex\\ContextMenuHandlers\\VxEject",
};

// The HRESULTs of the two entries: S_OK and SELFREG_E_CLASS.
inline constexpr int kRegistered = 0;
inline constexpr int kRegistrationFailed = static_cast<int>(0x80040201u);

}  // namespace vxeject
