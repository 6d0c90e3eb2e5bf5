// Desktop offline: the instance mutex is a lock on a file named after the machine image (as
// Wine names its server after the prefix folder), so copies running on one image see each
// other; broadcasts, window requests and help popups go to the journal.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "platform/desktop.h"
#include "prefix/journal.h"

namespace vlx::prefix {

// The temporary folder's "volnrx-DEV-INODE-NAME.lock": DEV and INODE those of the image folder.
std::filesystem::path InstanceLockPath(const std::filesystem::path& image, const std::string& name);

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
  void BroadcastWithTimeout(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                            std::uint32_t flags, std::uint32_t timeoutMs) override;
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
