#include "win32/win32_registry.h"

#include <windows.h>

#include <algorithm>

// Built at the 9x API level, where the headers may lack the view flags.
#ifndef KEY_WOW64_64KEY
#define KEY_WOW64_64KEY 0x0100
#endif
#ifndef KEY_WOW64_32KEY
#define KEY_WOW64_32KEY 0x0200
#endif

namespace vlx::win32 {

namespace {

bool IsPredefined(RegKey key) {
  return key >= regroot::ClassesRoot && key <= regroot::DynData;
}

// The predefined roots are 32-bit values that Windows sign-extends into a 64-bit HKEY
// (HKEY_CURRENT_USER is 0xFFFFFFFF80000001 there); open handles pass through unchanged.
HKEY ToHandle(RegKey key) {
  if (IsPredefined(key))
    return reinterpret_cast<HKEY>(
        static_cast<INT_PTR>(static_cast<LONG>(static_cast<DWORD>(key))));
  return reinterpret_cast<HKEY>(key);
}

RegKey FromHandle(HKEY key) { return reinterpret_cast<RegKey>(key); }

}  // namespace

long Win32Registry::OpenKey(RegKey parent, const std::string& path, RegKey& result) {
  HKEY opened = nullptr;
  const LONG rc = RegOpenKeyExA(ToHandle(parent), path.c_str(), 0, KEY_ALL_ACCESS | viewFlag_,
                                 &opened);
  if (rc == ERROR_SUCCESS) result = FromHandle(opened);
  return rc;
}

long Win32Registry::CreateKey(RegKey parent, const std::string& path, RegKey& result) {
  HKEY created = nullptr;
  const LONG rc = RegCreateKeyExA(ToHandle(parent), path.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | viewFlag_, nullptr, &created,
                                  nullptr);
  if (rc == ERROR_SUCCESS) result = FromHandle(created);
  return rc;
}

bool Win32Registry::SelectView(RegView view) {
  if (GetVersion() & 0x80000000u) return false;  // the 9x family
  viewFlag_ = view == RegView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  return true;
}

long Win32Registry::CloseKey(RegKey key) {
  if (IsPredefined(key)) return ERROR_SUCCESS;
  return RegCloseKey(ToHandle(key));
}

long Win32Registry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                               unsigned char* data, std::uint32_t* size) {
  DWORD rawType = 0;
  DWORD rawSize = size != nullptr ? *size : 0;
  const LONG rc = RegQueryValueExA(ToHandle(key), name.c_str(), nullptr, &rawType, data,
                                   size != nullptr ? &rawSize : nullptr);
  if (type != nullptr) *type = rawType;
  if (size != nullptr) *size = rawSize;
  return rc;
}

long Win32Registry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                             const unsigned char* data, std::uint32_t size) {
  return RegSetValueExA(ToHandle(key), name.c_str(), 0, type, data, size);
}

long Win32Registry::DeleteValue(RegKey key, const std::string& name) {
  return RegDeleteValueA(ToHandle(key), name.c_str());
}

long Win32Registry::DeleteKey(RegKey parent, const std::string& subkey) {
  return RegDeleteKeyA(ToHandle(parent), subkey.c_str());
}

long Win32Registry::EnumKey(RegKey key, std::uint32_t index, std::string& name) {
  // Key names are at most 255 characters; grow anyway should a system report more.
  std::string buffer(256, '\0');
  for (;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG rc = RegEnumKeyExA(ToHandle(key), index, buffer.data(), &length, nullptr, nullptr,
                                  nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (rc == ERROR_SUCCESS) name.assign(buffer.data(), length);
    return rc;
  }
}

long Win32Registry::EnumValue(RegKey key, std::uint32_t index, std::string& name,
                              std::uint32_t& type, std::string& data) {
  RegKeyInfo info;
  const long infoRc = QueryInfoKey(key, info);
  if (infoRc != ERROR_SUCCESS) return infoRc;
  std::string nameBuffer(info.maxValueNameLen + 1, '\0');
  std::string dataBuffer(info.maxValueLen + 1, '\0');
  for (;;) {
    DWORD nameLength = static_cast<DWORD>(nameBuffer.size());
    DWORD dataLength = static_cast<DWORD>(dataBuffer.size());
    DWORD rawType = 0;
    const LONG rc = RegEnumValueA(
        ToHandle(key), index, nameBuffer.data(), &nameLength, nullptr, &rawType,
        reinterpret_cast<BYTE*>(dataBuffer.data()), &dataLength);
    if (rc == ERROR_MORE_DATA) {
      // A value changed since the info query: make room and ask again.
      nameBuffer.resize(nameBuffer.size() * 2);
      dataBuffer.resize(std::max<std::size_t>(dataLength, dataBuffer.size() * 2));
      continue;
    }
    if (rc == ERROR_SUCCESS) {
      name.assign(nameBuffer.data(), nameLength);
      data.assign(dataBuffer.data(), dataLength);
      type = rawType;
    }
    return rc;
  }
}

long Win32Registry::QueryInfoKey(RegKey key, RegKeyInfo& info) {
  DWORD subkeys = 0, maxSubkeyLen = 0, values = 0, maxValueNameLen = 0, maxValueLen = 0;
  const LONG rc = RegQueryInfoKeyA(ToHandle(key), nullptr, nullptr, nullptr, &subkeys,
                                   &maxSubkeyLen, nullptr, &values, &maxValueNameLen, &maxValueLen,
                                   nullptr, nullptr);
  if (rc == ERROR_SUCCESS) {
    info.subkeys = subkeys;
    info.maxSubkeyLen = maxSubkeyLen;
    info.values = values;
    info.maxValueNameLen = maxValueNameLen;
    info.maxValueLen = maxValueLen;
  }
  return rc;
}

}  // namespace vlx::win32
