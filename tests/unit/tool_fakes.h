// Ports for the tool page tests: message boxes and file dialogs answered from queues, a process
// table, top-level windows, a clock that stands still, and program icons by path.
#pragma once
#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/library.h"
#include "platform/platform.h"

namespace vlx::testing {

struct QueuedDialogs : Dialogs {
  struct Shown {
    std::string title, text;
    std::uint32_t flags;
  };
  int ShowMessage(const std::string& title, const std::string& text, std::uint32_t flags) override {
    shown.push_back({title, text, flags});
    if (answers.empty()) return (flags & mb::TypeMask) == mb::Ok ? idanswer::Ok : idanswer::Cancel;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool PickFile(const OpenFileRequest& request, std::string& path) override {
    requests.push_back(request);
    if (files.empty()) return false;
    path = files.front();
    files.pop_front();
    return true;
  }
  bool PickColour(std::uint32_t&) override { return false; }
  bool BrowseFolder(const std::string&, const std::string&, std::string&) override {
    return false;
  }
  bool PickIcon(std::string&, int&) override { return false; }

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& s : shown) texts.push_back(s.text);
    return texts;
  }

  std::deque<int> answers;
  std::deque<std::string> files;
  std::vector<Shown> shown;
  std::vector<OpenFileRequest> requests;
};

struct FakeProcesses : Processes {
  bool Snapshot(std::vector<ProcessEntry>& out) override {
    if (snapshotFails) return false;
    out = table;
    return true;
  }
  bool Terminate(std::uint32_t id, std::uint32_t exitCode) override {
    log.push_back("terminate " + std::to_string(id) + " " + std::to_string(exitCode));
    const auto before = table.size();
    std::erase_if(table, [&](const ProcessEntry& p) { return p.id == id && !refuseTerminate; });
    return table.size() != before;
  }
  bool RunAndWait(const std::string& commandLine) override {
    log.push_back("run " + commandLine);
    return std::find(programs.begin(), programs.end(), commandLine) != programs.end();
  }
  bool Start(const std::string& commandLine) override {
    log.push_back("start " + commandLine);
    return std::find(programs.begin(), programs.end(), commandLine) != programs.end();
  }
  bool IsNtFamily() override { return false; }
  bool EnableShutdownPrivilege() override { return true; }
  bool ExitSystem(std::uint32_t flags) override {
    log.push_back("exit " + std::to_string(flags));
    return exitWorks;
  }

  std::vector<ProcessEntry> table;
  std::vector<std::string> programs;  // command lines that start
  std::vector<std::string> log;
  bool snapshotFails = false, refuseTerminate = false, exitWorks = true;
};

struct FakeWindows : TopWindows {
  struct Window {
    WindowHandle handle;
    std::uint32_t processId;
    std::string title;
    bool hasIcon = false;
  };
  WindowHandle FindTopWindow(const char*, const char*) override { return 0; }
  WindowHandle RelatedWindow(WindowHandle, std::uint32_t) override { return 0; }
  std::string ClassNameOf(WindowHandle, std::uint32_t) override { return {}; }
  bool IsWindowVisible(WindowHandle) override { return true; }
  bool ShowWindow(WindowHandle, int) override { return false; }
  void Enumerate(std::vector<WindowHandle>& out) override {
    out.clear();
    for (const auto& w : windows) out.push_back(w.handle);
  }
  const Window* Find(WindowHandle h) const {
    for (const auto& w : windows)
      if (w.handle == h) return &w;
    return nullptr;
  }
  std::uint32_t ProcessId(WindowHandle h) override { return Find(h) ? Find(h)->processId : 0; }
  std::string Text(WindowHandle h, int buffer) override {
    return Find(h) ? Find(h)->title.substr(0, static_cast<std::size_t>(buffer - 1)) : "";
  }
  Picture ClassIcon(WindowHandle h) override {
    Picture p;
    if (Find(h) && Find(h)->hasIcon) {
      p.kind = Picture::Kind::Icon;
      p.origin = "class " + Find(h)->title;
    }
    return p;
  }
  bool Post(WindowHandle h, std::uint32_t message, std::uintptr_t, std::intptr_t) override {
    posted.push_back({h, message});
    return Find(h) != nullptr;
  }
  std::vector<Window> windows;
  std::vector<std::pair<WindowHandle, std::uint32_t>> posted;
};

struct StillClock : Clock {
  LocalTime Now() override { return now; }
  void Sleep(std::uint32_t ms) override { slept.push_back(ms); }
  LocalTime now;
  std::vector<std::uint32_t> slept;
};

// ExtractIconA on program files: an icon for the paths listed, none for others.
struct IconLibrary : Library {
  bool CanLoad(const std::string&) override { return true; }
  LibraryResult ReadResource(const std::string&, const std::string&, const std::string&,
                             std::string&) override {
    return LibraryResult::NotFound;
  }
  Picture LoadBitmapPicture(const std::string&, const std::string&) override { return {}; }
  Picture LoadCursorPicture(const std::string&, const std::string&) override { return {}; }
  Picture ExtractIconPicture(const std::string& file, int index) override {
    Picture p;
    if (withIcons.count(file)) {
      p.kind = Picture::Kind::Icon;
      p.origin = file + "," + std::to_string(index);
    }
    return p;
  }
  LibraryResult CallEntry(const std::string&, const std::string&, std::int32_t&) override {
    return LibraryResult::NotFound;
  }
  std::set<std::string> withIcons;
};

// File icons named after what was asked; property sheets recorded.
struct NamedIconShell : ShellFiles {
  static Picture Named(const std::string& origin) {
    Picture p;
    p.kind = Picture::Kind::Icon;
    p.origin = origin;
    return p;
  }
  Picture WinLogoIcon() override { return Named("IDI_WINLOGO"); }
  Picture FileTypeIcon(const std::string& path, bool small) override {
    return Named((small ? "small type " : "type ") + path);
  }
  Picture AssociatedIcon(const std::string& path) override { return Named("associated " + path); }
  bool ShowProperties(WindowHandle owner, const std::string& path) override {
    propertiesOwner = owner;
    properties.push_back(path);
    return true;
  }
  std::intptr_t Execute(const std::string&, const std::string&, const std::string&,
                        const std::string&, int) override {
    return 2;
  }
  std::vector<std::string> properties;
  WindowHandle propertiesOwner = 0;
};

}  // namespace vlx::testing
