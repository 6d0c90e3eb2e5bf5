// The bundle of ports a routine receives; adapters fill it (src/win32, src/prefix, test fakes).
#pragma once
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/file_ops.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/library.h"
#include "platform/processes.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/shell_files.h"
#include "platform/system_facts.h"
#include "platform/system_info.h"
#include "platform/system_parameters.h"
#include "platform/text_files.h"
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
  Processes* processes = nullptr;
  TopWindows* windows = nullptr;
  Clock* clock = nullptr;
  FileOps* fileOps = nullptr;
  ShellFiles* shellFiles = nullptr;
  Dialogs* dialogs = nullptr;
  Desktop* desktop = nullptr;
  Screen* screen = nullptr;
  Clipboard* clipboard = nullptr;
  SystemFacts* facts = nullptr;
  TextFiles* textFiles = nullptr;
};

}  // namespace vlx
