#include "prefix/prefix_windows.h"

#include <cctype>

#include "store/store_routine.h"

namespace vlx::prefix {

namespace {

bool SameNoCase(const std::string& a, const char* b) {
  std::string lower(b);
  if (a.size() != lower.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(lower[i])))
      return false;
  return true;
}

// The shell reads the policy when it starts: a set NoDesktop gives a desktop without icons.
bool DesktopHiddenByPolicy(Registry& registry) {
  bool hidden = false;
  RunRegistryRule(registry, regroot::LocalMachine, [&](RegStore& store) {
    if (!store.OpenPath("\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\explorer", false) ||
        !store.HasValue("NoDesktop"))
      return;
    unsigned char bytes[4] = {0, 0, 0, 0};
    store.ReadBytes("NoDesktop", bytes, sizeof bytes);
    hidden = bytes[0] != 0 || bytes[1] != 0 || bytes[2] != 0 || bytes[3] != 0;
  });
  return hidden;
}

}  // namespace

PrefixWindows::PrefixWindows(Registry& registry, Journal& journal) : journal_(journal) {
  windows_ = {
      {"Progman", "Program Manager", 0, true},
      {"SHELLDLL_DefView", "", 1, true},
      {"SysListView32", "FolderView", 2, !DesktopHiddenByPolicy(registry)},
  };
}

const PrefixWindows::Window* PrefixWindows::At(WindowHandle window) const {
  if (window == 0 || window > windows_.size()) return nullptr;
  return &windows_[window - 1];
}

WindowHandle PrefixWindows::FindTopWindow(const char* className, const char* title) {
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    const Window& w = windows_[i];
    if (w.parent != 0) continue;
    if (className && !SameNoCase(w.className, className)) continue;
    if (title && !SameNoCase(w.title, title)) continue;
    return i + 1;
  }
  return 0;
}

WindowHandle PrefixWindows::RelatedWindow(WindowHandle window, std::uint32_t command) {
  if (command != gw::Child || !At(window)) return 0;
  for (std::size_t i = 0; i < windows_.size(); ++i)
    if (windows_[i].parent == window) return i + 1;
  return 0;
}

std::string PrefixWindows::ClassNameOf(WindowHandle window, std::uint32_t bufferSize) {
  const Window* w = At(window);
  if (!w || bufferSize == 0) return {};
  return w->className.substr(0, bufferSize - 1);
}

bool PrefixWindows::IsWindowVisible(WindowHandle window) {
  for (const Window* w = At(window); w; w = At(w->parent))
    if (!w->visible) return false;
  return At(window) != nullptr;
}

bool PrefixWindows::ShowWindow(WindowHandle window, int command) {
  if (window == 0 || window > windows_.size()) return false;
  Window& w = windows_[window - 1];
  const bool was = w.visible;
  w.visible = command != sw::Hide;
  journal_.Add(std::string("ShowWindow \"") + w.title + "\" " +
               (command == sw::Hide ? "SW_HIDE" : "SW_SHOW"));
  return was;
}

}  // namespace vlx::prefix
