// A simulated shell desktop for a machine image: the "Program Manager" window (class Progman)
// holding SHELLDLL_DefView holding the icon list view (SysListView32). The list view starts
// hidden when the machine's policy hides the desktop (NoDesktop); shows and hides are recorded in
// the journal.
#pragma once
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/top_windows.h"
#include "prefix/journal.h"

namespace vlx::prefix {

class PrefixWindows : public TopWindows {
 public:
  PrefixWindows(Registry& registry, Journal& journal);

  WindowHandle FindTopWindow(const char* className, const char* title) override;
  WindowHandle RelatedWindow(WindowHandle window, std::uint32_t command) override;
  std::string ClassNameOf(WindowHandle window, std::uint32_t bufferSize) override;
  bool IsWindowVisible(WindowHandle window) override;
  bool ShowWindow(WindowHandle window, int command) override;

 private:
  struct Window {
    std::string className;
    std::string title;
    WindowHandle parent;
    bool visible;
  };
  const Window* At(WindowHandle window) const;

  Journal& journal_;
  std::vector<Window> windows_;  // handle = index + 1
};

}  // namespace vlx::prefix
