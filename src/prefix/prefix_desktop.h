// Desktop offline: the instance mutex is a lock held on a file beside the other copies' (one
// per machine image), broadcasts and window requests go to the journal.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "platform/desktop.h"
#include "prefix/journal.h"

namespace vlx::prefix {

class PrefixDesktop : public Desktop {
 public:
  // `image` names the machine image; copies running on the same image share the mutex.
  PrefixDesktop(std::filesystem::path image, Journal& journal);
  ~PrefixDesktop() override;
  PrefixDesktop(const PrefixDesktop&) = delete;
  PrefixDesktop& operator=(const PrefixDesktop&) = delete;

  bool CreateInstanceMutex(const std::string& name) override;
  std::uint32_t RegisterMessage(const std::string& name) override;
  void Broadcast(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void RestoreAndActivate() override;
  void ShowHelpPopup(const std::string& helpFile, int topic, int x, int y) override;

 private:
  std::string MessageName(std::uint32_t message) const;

  std::filesystem::path image_;
  Journal& journal_;
  std::map<std::string, int> mutexes_;  // name -> open lock file descriptor
  std::map<std::string, std::uint32_t> messages_;
};

}  // namespace vlx::prefix
