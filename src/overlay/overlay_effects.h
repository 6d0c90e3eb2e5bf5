// The calls with an effect outside files and the registry (system parameters, broadcasts,
// process starts and ends, window changes, shell verbs, library entry points), recorded
// instead of made; every other call of those ports goes through.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/library.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell_files.h"
#include "platform/system_parameters.h"
#include "platform/top_windows.h"

namespace vlx::overlay {

struct Effect {
  std::string text;
  std::function<void()> redo;  // the same call on the port below
};
using EffectLog = std::vector<Effect>;

// A parameter set with SPIF_UPDATEINIFILE is also written where the system keeps it, into
// `stored` (the overlay's registry), so that the change is shown and backed up as the value it
// becomes.
class RecordingParameters : public SystemParameters {
 public:
  RecordingParameters(SystemParameters& base, EffectLog& log, Registry& stored)
      : base_(base), log_(log), stored_(stored) {}
  // A parameter set in this run reads back as set.
  bool Get(std::uint32_t action, std::uint32_t& value) override;
  bool Set(std::uint32_t action, std::uint32_t param, std::uint32_t flags) override;

 private:
  SystemParameters& base_;
  EffectLog& log_;
  Registry& stored_;
  std::map<std::uint32_t, std::uint32_t> set_;  // by the Set action
};

class RecordingDesktop : public Desktop {
 public:
  RecordingDesktop(Desktop& base, EffectLog& log) : base_(base), log_(log) {}
  bool CreateInstanceMutex(const std::string& name) override { return base_.CreateInstanceMutex(name); }
  std::uint32_t RegisterMessage(const std::string& name) override { return base_.RegisterMessage(name); }
  void Broadcast(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void BroadcastWithTimeout(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                            std::uint32_t flags, std::uint32_t timeoutMs) override;
  void RestoreAndActivate() override { base_.RestoreAndActivate(); }
  void ShowHelpPopup(const std::string& helpFile, int topic, int x, int y) override {
    base_.ShowHelpPopup(helpFile, topic, x, y);
  }

 private:
  Desktop& base_;
  EffectLog& log_;
};

class RecordingProcesses : public Processes {
 public:
  RecordingProcesses(Processes& base, EffectLog& log) : base_(base), log_(log) {}
  bool Snapshot(std::vector<ProcessEntry>& out) override { return base_.Snapshot(out); }
  bool Terminate(std::uint32_t id, std::uint32_t exitCode) override;
  bool RunAndWait(const std::string& commandLine) override;
  bool Start(const std::string& commandLine) override;
  bool IsNtFamily() override { return base_.IsNtFamily(); }
  bool EnableShutdownPrivilege() override { return base_.EnableShutdownPrivilege(); }
  bool ExitSystem(std::uint32_t flags) override;

 private:
  Processes& base_;
  EffectLog& log_;
};

class RecordingWindows : public TopWindows {
 public:
  RecordingWindows(TopWindows& base, EffectLog& log) : base_(base), log_(log) {}
  WindowHandle FindTopWindow(const char* className, const char* title) override {
    return base_.FindTopWindow(className, title);
  }
  WindowHandle RelatedWindow(WindowHandle window, std::uint32_t command) override {
    return base_.RelatedWindow(window, command);
  }
  std::string ClassNameOf(WindowHandle window, std::uint32_t bufferSize) override {
    return base_.ClassNameOf(window, bufferSize);
  }
  bool IsWindowVisible(WindowHandle window) override { return base_.IsWindowVisible(window); }
  bool ShowWindow(WindowHandle window, int command) override;
  void Enumerate(std::vector<WindowHandle>& out) override { base_.Enumerate(out); }
  std::uint32_t ProcessId(WindowHandle window) override { return base_.ProcessId(window); }
  std::string Text(WindowHandle window, int bufferChars) override { return base_.Text(window, bufferChars); }
  Picture ClassIcon(WindowHandle window) override { return base_.ClassIcon(window); }
  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
            std::intptr_t lParam) override;

 private:
  TopWindows& base_;
  EffectLog& log_;
};

class RecordingShellFiles : public ShellFiles {
 public:
  RecordingShellFiles(ShellFiles& base, EffectLog& log) : base_(base), log_(log) {}
  Picture WinLogoIcon() override { return base_.WinLogoIcon(); }
  Picture FileTypeIcon(const std::string& path, bool small) override { return base_.FileTypeIcon(path, small); }
  Picture AssociatedIcon(const std::string& path) override { return base_.AssociatedIcon(path); }
  bool ShowProperties(WindowHandle owner, const std::string& path) override {
    return base_.ShowProperties(owner, path);
  }
  std::intptr_t Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                        const std::string& directory, int show) override;

 private:
  ShellFiles& base_;
  EffectLog& log_;
};

class RecordingLibrary : public Library {
 public:
  RecordingLibrary(Library& base, EffectLog& log) : base_(base), log_(log) {}
  bool CanLoad(const std::string& library) override { return base_.CanLoad(library); }
  LibraryResult ReadResource(const std::string& library, const std::string& type,
                             const std::string& name, std::string& bytes) override {
    return base_.ReadResource(library, type, name, bytes);
  }
  Picture LoadBitmapPicture(const std::string& library, const std::string& name) override {
    return base_.LoadBitmapPicture(library, name);
  }
  Picture LoadCursorPicture(const std::string& library, const std::string& name) override {
    return base_.LoadCursorPicture(library, name);
  }
  Picture ExtractIconPicture(const std::string& library, int index) override {
    return base_.ExtractIconPicture(library, index);
  }
  // A library that loads reports success without its entry point running.
  LibraryResult CallEntry(const std::string& library, const std::string& entry,
                          std::int32_t& result) override;

 private:
  Library& base_;
  EffectLog& log_;
};

}  // namespace vlx::overlay
