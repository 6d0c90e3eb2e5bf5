// The bundle of ports a routine receives; adapters fill it (src/win32, src/prefix, test fakes).
#pragma once
#include "platform/files.h"
#include "platform/library.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "platform/system_parameters.h"
#include "platform/top_windows.h"

namespace vlx {

struct Platform {
  Registry* registry = nullptr;
  Profile* profile = nullptr;
  Files* files = nullptr;
  SystemInfo* system = nullptr;
  Shell* shell = nullptr;
  Library* library = nullptr;
  SystemParameters* parameters = nullptr;
  TopWindows* windows = nullptr;
};

}  // namespace vlx
