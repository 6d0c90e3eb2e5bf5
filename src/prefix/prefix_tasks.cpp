#include "prefix/prefix_tasks.h"

#include <algorithm>

#include "store/folders.h"
#include "text/cp1251.h"

namespace vlx::prefix {
namespace {

std::string Hex(std::uint64_t value) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), digits[value & 15]);
    value >>= 4;
  } while (value != 0);
  return text;
}

bool HasExtension(const std::string& path) {
  const auto slash = path.find_last_of("\\/:");
  const auto dot = path.rfind('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

bool IsBareName(const std::string& path) { return path.find_first_of("\\/:") == std::string::npos; }

// Removes the window and every window below it.
void DestroyWithChildren(SimulatedSession& session, WindowHandle window) {
  std::vector<WindowHandle> doomed{window};
  for (std::size_t i = 0; i < doomed.size(); ++i)
    for (const auto& w : session.windows)
      if (w.parent == doomed[i]) doomed.push_back(w.handle);
  std::erase_if(session.windows, [&](const SimulatedWindow& w) {
    return std::find(doomed.begin(), doomed.end(), w.handle) != doomed.end();
  });
}

}  // namespace

SimulatedSession SimulatedSession::Windows98(const std::string& programDir) {
  SimulatedSession s;
  // Windows 9x process identifiers are obfuscated pointers with the top bit set.
  s.processes = {
      {0xFFFDD7B5u, 7, 13, "C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL"},
      {0xFFFD6F45u, 1, 8, "C:\\WINDOWS\\SYSTEM\\MSGSRV32.EXE"},
      {0xFFFCBF95u, 1, 8, "C:\\WINDOWS\\SYSTEM\\MPREXE.EXE"},
      {0xFFFCE8C1u, 1, 8, "C:\\WINDOWS\\SYSTEM\\mmtask.tsk"},
      {0xFFFE44F9u, 9, 8, "C:\\WINDOWS\\EXPLORER.EXE"},
      {0xFFFE8C1Du, 1, 4, "C:\\WINDOWS\\TASKMON.EXE"},
      {0xFFFE6B91u, 2, 8, "C:\\WINDOWS\\SYSTEM\\SYSTRAY.EXE"},
      {0xFFFF0F25u, 3, 8, "C:\\WINDOWS\\SYSTEM\\SPOOL32.EXE"},
      {0xFFF9A3F1u, 1, 8, programDir + "\\VOLNRX.EXE"},
  };
  const std::string volnerix = programDir + "\\VOLNRX.EXE,0";
  const std::string explorer = "C:\\WINDOWS\\EXPLORER.EXE,0";
  s.windows = {
      {0x0000049Cu, 0xFFFE44F9u, "", "Shell_TrayWnd", "", true, 0},
      {0x000004A0u, 0xFFF9A3F1u, "Volnerix", "TApplication", volnerix, false, 0},
      {0x000004A6u, 0xFFF9A3F1u, "Volnerix", "TfrmMain", volnerix, true, 0},
      {0x00000510u, 0xFFFE6B91u, "SysTray", "SystemTray_Main", "", false, 0},
      {0x000004F4u, 0xFFFF0F25u, "Spooler Process", "SpoolProcessClass", "", false, 0},
      {0x00000454u, 0xFFFD6F45u, "MSGSRV32", "MSGSRV32", "", false, 0},
      {0x00000470u, 0xFFFE44F9u, "DDE Server Window", "DDEMLEvent", "", false, 0},
      {0x000004B8u, 0xFFFE8C1Du, "TaskMonitor", "TaskMonitorClass", "", false, 0},
      {0x0000049Eu, 0xFFFE44F9u, "Program Manager", "Progman", explorer, true, 0},
      {0x000004A2u, 0xFFFE44F9u, "", "SHELLDLL_DefView", "", true, 0x0000049Eu},
      {0x000004A4u, 0xFFFE44F9u, "FolderView", "SysListView32", "", true, 0x000004A2u},
  };
  return s;
}

PrefixProcesses::PrefixProcesses(SimulatedSession& session, Files& files, SystemInfo& system,
                                 Journal& journal)
    : session_(session), files_(files), system_(system), journal_(journal) {}

bool PrefixProcesses::Snapshot(std::vector<ProcessEntry>& out) {
  out = session_.processes;
  return true;
}

bool PrefixProcesses::Terminate(std::uint32_t id, std::uint32_t exitCode) {
  auto& list = session_.processes;
  const auto found =
      std::find_if(list.begin(), list.end(), [id](const ProcessEntry& p) { return p.id == id; });
  if (found == list.end()) return false;
  journal_.Add("TerminateProcess $" + Hex(id) + " (" + found->exePath + ") exit code " +
               std::to_string(exitCode));
  list.erase(found);
  std::erase_if(session_.windows, [id](const SimulatedWindow& w) { return w.processId == id; });
  return true;
}

bool PrefixProcesses::IsFile(const std::string& path) {
  const std::uint32_t attributes = files_.GetAttributes(path);
  return attributes != fileattr::Invalid && (attributes & fileattr::Directory) == 0;
}

std::string PrefixProcesses::FindProgram(const std::string& commandLine) {
  std::vector<std::string> candidates;
  std::size_t start = 0;
  while (start < commandLine.size() && (commandLine[start] == ' ' || commandLine[start] == '\t'))
    ++start;
  if (start < commandLine.size() && commandLine[start] == '"') {
    const auto close = commandLine.find('"', start + 1);
    candidates.push_back(commandLine.substr(start + 1, close == std::string::npos
                                                           ? std::string::npos
                                                           : close - start - 1));
  } else {
    // Unquoted: every prefix that ends before a blank, shortest first, then the whole line.
    for (std::size_t i = start; i <= commandLine.size(); ++i) {
      if (i == commandLine.size() || commandLine[i] == ' ' || commandLine[i] == '\t') {
        if (i > start) candidates.push_back(commandLine.substr(start, i - start));
      }
    }
  }
  const std::string windows = GetWindowsDir(system_);
  const std::string systemDir = GetSystemDir(system_);
  for (std::string name : candidates) {
    if (name.empty()) continue;
    if (!HasExtension(name)) name += ".exe";
    std::vector<std::string> paths;
    if (IsBareName(name)) {
      if (!systemDir.empty()) paths.push_back(systemDir + "\\" + name);
      if (!windows.empty()) paths.push_back(windows + "\\" + name);
    } else {
      paths.push_back(name);
    }
    for (const auto& path : paths)
      if (IsFile(path)) return path;
  }
  return {};
}

bool PrefixProcesses::RunAndWait(const std::string& commandLine) {
  return JournalStart(commandLine, "CreateProcess and wait: ");
}

bool PrefixProcesses::Start(const std::string& commandLine) {
  return JournalStart(commandLine, "CreateProcess: ");
}

bool PrefixProcesses::JournalStart(const std::string& commandLine, const char* entry) {
  if (FindProgram(commandLine).empty()) {
    journal_.Add("CreateProcess failed: " + commandLine);
    return false;
  }
  journal_.Add(entry + commandLine);
  return true;
}

bool PrefixProcesses::ExitSystem(std::uint32_t flags) {
  journal_.Add("ExitWindowsEx " + std::to_string(flags));
  return true;
}

PrefixTopWindows::PrefixTopWindows(SimulatedSession& session, Journal& journal)
    : session_(session), journal_(journal) {}

SimulatedWindow* PrefixTopWindows::Find(WindowHandle window) {
  for (auto& w : session_.windows)
    if (w.handle == window) return &w;
  return nullptr;
}

WindowHandle PrefixTopWindows::FindTopWindow(const char* className, const char* title) {
  for (const auto& w : session_.windows) {
    if (w.parent != 0) continue;
    if (className != nullptr && !EqualNoCaseCp1251(w.className, className)) continue;
    if (title != nullptr && !EqualNoCaseCp1251(w.title, title)) continue;
    return w.handle;
  }
  return 0;
}

WindowHandle PrefixTopWindows::RelatedWindow(WindowHandle window, std::uint32_t command) {
  if (command != gw::Child || Find(window) == nullptr) return 0;
  for (const auto& w : session_.windows)
    if (w.parent == window) return w.handle;
  return 0;
}

std::string PrefixTopWindows::ClassNameOf(WindowHandle window, std::uint32_t bufferSize) {
  const auto* w = Find(window);
  if (!w || bufferSize == 0) return {};
  return w->className.substr(0, bufferSize - 1);
}

bool PrefixTopWindows::IsWindowVisible(WindowHandle window) {
  for (auto* w = Find(window); w != nullptr; w = w->parent ? Find(w->parent) : nullptr)
    if (!w->visible) return false;
  return Find(window) != nullptr;
}

bool PrefixTopWindows::ShowWindow(WindowHandle window, int command) {
  auto* w = Find(window);
  if (!w) return false;
  const bool was = w->visible;
  w->visible = command != sw::Hide;
  journal_.Add("ShowWindow " + std::to_string(static_cast<std::int32_t>(window)) + " " +
               (command == sw::Hide ? std::string("SW_HIDE")
                                    : command == sw::Show ? std::string("SW_SHOW")
                                                          : std::to_string(command)));
  return was;
}

void PrefixTopWindows::Enumerate(std::vector<WindowHandle>& out) {
  out.clear();
  for (const auto& w : session_.windows)
    if (w.parent == 0) out.push_back(w.handle);
}

std::uint32_t PrefixTopWindows::ProcessId(WindowHandle window) {
  const auto* w = Find(window);
  return w ? w->processId : 0;
}

std::string PrefixTopWindows::Text(WindowHandle window, int bufferChars) {
  const auto* w = Find(window);
  if (!w || bufferChars <= 0) return {};
  return w->title.substr(0, static_cast<std::size_t>(bufferChars - 1));
}

Picture PrefixTopWindows::ClassIcon(WindowHandle window) {
  const auto* w = Find(window);
  if (!w || w->classIcon.empty()) return {};
  Picture picture;
  picture.kind = Picture::Kind::Icon;
  picture.origin = w->classIcon;
  picture.width = picture.height = 32;
  return picture;
}

bool PrefixTopWindows::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) {
  const auto* w = Find(window);
  journal_.Add("PostMessage " + std::to_string(static_cast<std::int32_t>(window)) + " " +
               (message == wm::Close ? std::string("WM_CLOSE") : "$" + Hex(message)) + " " +
               std::to_string(wParam) + " " + std::to_string(lParam));
  if (!w) return false;
  // Default handling of WM_CLOSE destroys the window.
  if (message == wm::Close) DestroyWithChildren(session_, window);
  return true;
}

}  // namespace vlx::prefix
