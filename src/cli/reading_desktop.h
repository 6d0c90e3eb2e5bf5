// The desktop of a run that only reads: it leaves the program's single-instance mutex alone, so
// it runs beside the window (or a changing run) and does not keep either from starting.
#pragma once
#include "platform/desktop.h"

namespace vlx::cli {

class ReadingDesktop : public Desktop {
 public:
  explicit ReadingDesktop(Desktop& inner) : inner_(inner) {}
  bool CreateInstanceMutex(const std::string&) override { return true; }
  std::uint32_t RegisterMessage(const std::string& name) override {
    return inner_.RegisterMessage(name);
  }
  void Broadcast(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    inner_.Broadcast(message, wParam, lParam);
  }
  void BroadcastWithTimeout(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                            std::uint32_t flags, std::uint32_t timeoutMs) override {
    inner_.BroadcastWithTimeout(message, wParam, lParam, flags, timeoutMs);
  }
  void RestoreAndActivate() override { inner_.RestoreAndActivate(); }
  void ShowHelpPopup(const std::string& helpFile, int topic, int x, int y) override {
    inner_.ShowHelpPopup(helpFile, topic, x, y);
  }

 private:
  Desktop& inner_;
};

}  // namespace vlx::cli
