// A Context with the main window and TfrmChange built and the tool pages bound, over in-memory
// ports: registry, queued dialogs, processes, windows, a still clock and program icons.
#pragma once
#include "app/context.h"
#include "app/main_form.h"
#include "rules_fakes.h"
#include "tool_fakes.h"
#include "tools/tool_pages.h"
#include "ui/user_action.h"

namespace vlx::testing {

class ToolPageFixture {
 public:
  ToolPageFixture() {
    platform.registry = &registry;
    platform.dialogs = &dialogs;
    platform.processes = &processes;
    platform.windows = &windows;
    platform.clock = &clock;
    platform.library = &library;
    platform.shellFiles = &shell;
    BuildForms(ctx);
    BindToolPages(ctx);
  }

  ui::Control& Main(const std::string& name) { return ctx.frmMain.Get(name); }
  ui::Control& Change(const std::string& name) { return ctx.frmChange.Get(name); }
  template <class T>
  T& Main(const std::string& name) {
    return ctx.frmMain.Get<T>(name);
  }

  FakeRegistry registry;
  QueuedDialogs dialogs;
  FakeProcesses processes;
  FakeWindows windows;
  StillClock clock;
  IconLibrary library;
  NamedIconShell shell;
  Platform platform;
  Context ctx{platform, "C:\\Program Files\\Volnerix\\"};
};

}  // namespace vlx::testing
