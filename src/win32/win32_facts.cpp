#include "win32/win32_facts.h"

#include <windows.h>

#include <cstring>

namespace vlx::win32 {

namespace {

// GlobalMemoryStatusEx is missing on the 9x family before ME: looked up, not linked.
using MemoryStatusEx = BOOL(WINAPI*)(LPMEMORYSTATUSEX);

MemoryStatusEx ExtendedMemoryQuery() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return nullptr;
  return reinterpret_cast<MemoryStatusEx>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "GlobalMemoryStatusEx")));
}

}  // namespace

bool Win32SystemFacts::Version(VersionFacts& out) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
  out.major = info.dwMajorVersion;
  out.minor = info.dwMinorVersion;
  out.build = info.dwBuildNumber;
  out.platformId = info.dwPlatformId;
  out.servicePack.assign(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
  return true;
}

std::uint32_t Win32SystemFacts::VersionWord() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return GetVersion();
#pragma GCC diagnostic pop
}

MemoryFacts Win32SystemFacts::Memory() {
  MemoryFacts memory;
  if (MemoryStatusEx query = ExtendedMemoryQuery()) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (query(&status)) {
      memory.load = status.dwMemoryLoad;
      memory.totalPhys = status.ullTotalPhys;
      memory.availPhys = status.ullAvailPhys;
      memory.totalPageFile = status.ullTotalPageFile;
      memory.availPageFile = status.ullAvailPageFile;
      memory.totalVirtual = status.ullTotalVirtual;
      memory.availVirtual = status.ullAvailVirtual;
      return memory;
    }
  }
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  memory.load = status.dwMemoryLoad;
  memory.totalPhys = status.dwTotalPhys;
  memory.availPhys = status.dwAvailPhys;
  memory.totalPageFile = status.dwTotalPageFile;
  memory.availPageFile = status.dwAvailPageFile;
  memory.totalVirtual = status.dwTotalVirtual;
  memory.availVirtual = status.dwAvailVirtual;
  return memory;
}

bool Win32SystemFacts::Volume(const std::string& root, VolumeFacts& out) {
  char label[MAX_PATH + 1] = {};
  char fileSystem[MAX_PATH + 1] = {};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (!GetVolumeInformationA(root.c_str(), label, MAX_PATH, &serial, &maxComponent, &flags,
                             fileSystem, MAX_PATH))
    return false;
  out.label.assign(label, strnlen(label, MAX_PATH));
  out.serial = serial;
  out.fileSystem.assign(fileSystem, strnlen(fileSystem, MAX_PATH));
  return true;
}

}  // namespace vlx::win32
