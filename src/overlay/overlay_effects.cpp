#include "overlay/overlay_effects.h"

#include <cstdio>

#include "store/store_error.h"
#include "store/store_routine.h"
#include "store/stored_parameters.h"

namespace vlx::overlay {

namespace {

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

// Get actions and the Set actions whose value they read.
constexpr std::uint32_t kReadBack[][2] = {
    {spi::GetScreenSaveTimeout, spi::SetScreenSaveTimeout},
    {spi::GetScreenSaveActive, spi::SetScreenSaveActive},
};

}  // namespace

bool RecordingParameters::Get(std::uint32_t action, std::uint32_t& value) {
  for (const auto& pair : kReadBack) {
    if (pair[0] != action) continue;
    if (const auto it = set_.find(pair[1]); it != set_.end()) {
      value = it->second;
      return true;
    }
  }
  return base_.Get(action, value);
}

bool RecordingParameters::Set(std::uint32_t action, std::uint32_t param, std::uint32_t flags) {
  set_[action] = param;
  const StoredParameter* stored = StoredParameterBySet(action);
  std::string text = "SystemParametersInfo " + std::to_string(action);
  if (stored) text += std::string(" ") + stored->action;
  text += " " + std::to_string(static_cast<std::int32_t>(param)) + " flags " + std::to_string(flags);
  if (stored && (flags & spif::UpdateIniFile)) {
    const std::string value = StoredParameterText(*stored, param);
    const bool written = RunRegistryRule(stored_, regroot::CurrentUser, [&](RegStore& store) {
      if (!store.OpenPath(std::string("\\") + kStoredParametersKey, true))
        throw StoreError::FailedToCreateKey(kStoredParametersKey);
      store.WriteText(stored->value, value);
    });
    if (!written) return false;
    text += std::string(": HKEY_CURRENT_USER\\") + kStoredParametersKey + " \"" + stored->value + "\"=\"" +
            value + "\"";
  }
  log_.push_back({std::move(text), [this, action, param, flags] { base_.Set(action, param, flags); }});
  return true;
}

void RecordingDesktop::Broadcast(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  log_.push_back({"SendMessage HWND_BROADCAST " + Hex(message) + " " + Hex(wParam) + " " +
                      Hex(static_cast<std::uint64_t>(lParam)),
                  [this, message, wParam, lParam] { base_.Broadcast(message, wParam, lParam); }});
}

void RecordingDesktop::BroadcastWithTimeout(std::uint32_t message, std::uintptr_t wParam,
                                            std::intptr_t lParam, std::uint32_t flags,
                                            std::uint32_t timeoutMs) {
  log_.push_back({"SendMessageTimeout HWND_BROADCAST " + Hex(message) + " " + Hex(wParam) + " " +
                      Hex(static_cast<std::uint64_t>(lParam)) + " " + std::to_string(timeoutMs) + " ms",
                  [=, this] { base_.BroadcastWithTimeout(message, wParam, lParam, flags, timeoutMs); }});
}

bool RecordingProcesses::Terminate(std::uint32_t id, std::uint32_t exitCode) {
  log_.push_back({"TerminateProcess " + Hex(id) + " exit code " + std::to_string(exitCode),
                  [=, this] { base_.Terminate(id, exitCode); }});
  return true;
}

bool RecordingProcesses::RunAndWait(const std::string& commandLine) {
  log_.push_back({"CreateProcess and wait: " + commandLine, [=, this] { base_.RunAndWait(commandLine); }});
  return true;
}

bool RecordingProcesses::Start(const std::string& commandLine) {
  log_.push_back({"CreateProcess: " + commandLine, [=, this] { base_.Start(commandLine); }});
  return true;
}

bool RecordingProcesses::ExitSystem(std::uint32_t flags) {
  log_.push_back({"ExitWindowsEx " + std::to_string(flags), [=, this] { base_.ExitSystem(flags); }});
  return true;
}

bool RecordingWindows::ShowWindow(WindowHandle window, int command) {
  const bool wasVisible = window && base_.IsWindowVisible(window);
  if (window)
    log_.push_back({"ShowWindow " + Hex(window) + " " + std::to_string(command),
                    [=, this] { base_.ShowWindow(window, command); }});
  return wasVisible;
}

bool RecordingWindows::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) {
  log_.push_back({"PostMessage " + Hex(window) + " " + Hex(message) + " " + Hex(wParam) + " " +
                      Hex(static_cast<std::uint64_t>(lParam)),
                  [=, this] { base_.Post(window, message, wParam, lParam); }});
  return true;
}

std::intptr_t RecordingShellFiles::Execute(const std::string& verb, const std::string& file,
                                           const std::string& parameters,
                                           const std::string& directory, int show) {
  log_.push_back({"ShellExecute " + verb + ": " + file + (parameters.empty() ? "" : " " + parameters),
                  [=, this] { base_.Execute(verb, file, parameters, directory, show); }});
  return 42;  // above 32: started
}

LibraryResult RecordingLibrary::CallEntry(const std::string& library, const std::string& entry,
                                          std::int32_t& result) {
  if (!base_.CanLoad(library)) return LibraryResult::LibraryMissing;
  log_.push_back({"CallEntry " + library + " " + entry, [=, this] {
                    std::int32_t ignored = 0;
                    base_.CallEntry(library, entry, ignored);
                  }});
  result = 0;
  return LibraryResult::Ok;
}

}  // namespace vlx::overlay
