#include "prefix/prefix_desktop.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "prefix/prefix_error.h"

namespace vlx::prefix {

namespace {

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "$%04X", value);
  return text;
}

constexpr std::uint32_t kFirstRegisteredMessage = 0xC000;

}  // namespace

std::filesystem::path InstanceLockPath(const std::filesystem::path& image,
                                       const std::string& name) {
  struct stat info {};
  if (::stat(image.c_str(), &info) != 0) throw PrefixError("cannot read " + image.string());
  return std::filesystem::temp_directory_path() /
         ("volnrx-" + std::to_string(info.st_dev) + "-" + std::to_string(info.st_ino) + "-" +
          name + ".lock");
}

PrefixDesktop::PrefixDesktop(std::filesystem::path image, Journal& journal)
    : journal_(journal) {
  std::error_code ec;
  image_ = std::filesystem::weakly_canonical(image, ec);
  if (ec) image_ = std::move(image);
}

PrefixDesktop::~PrefixDesktop() {
  for (auto& [name, fd] : mutexes_) ::close(fd);
}

bool PrefixDesktop::CreateInstanceMutex(const std::string& name) {
  if (mutexes_.count(name)) return false;  // this process already holds it
  const std::filesystem::path lock = InstanceLockPath(image_, name);
  const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) throw PrefixError("cannot open the instance lock " + lock.string());
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) return false;
    throw PrefixError("cannot lock the instance lock " + lock.string());
  }
  mutexes_[name] = fd;  // held until this object goes, as the mutex lives with the process
  return true;
}

std::uint32_t PrefixDesktop::RegisterMessage(const std::string& name) {
  auto it = messages_.find(name);
  if (it != messages_.end()) return it->second;
  const auto number = kFirstRegisteredMessage + static_cast<std::uint32_t>(messages_.size());
  messages_[name] = number;
  return number;
}

std::string PrefixDesktop::MessageName(std::uint32_t message) const {
  if (message == wm::WinIniChange) return "WM_WININICHANGE";
  for (const auto& [name, number] : messages_) {
    if (number == message) return name;
  }
  return Hex(message);
}

void PrefixDesktop::Broadcast(std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) {
  journal_.Add("SendMessage HWND_BROADCAST " + MessageName(message) + " " +
               std::to_string(wParam) + " " + std::to_string(lParam));
}

void PrefixDesktop::BroadcastWithTimeout(std::uint32_t message, std::uintptr_t wParam,
                                         std::intptr_t lParam, std::uint32_t flags,
                                         std::uint32_t timeoutMs) {
  journal_.Add("SendMessageTimeout HWND_BROADCAST " + MessageName(message) + " " +
               std::to_string(wParam) + " " + std::to_string(lParam) + " " +
               std::to_string(flags) + " " + std::to_string(timeoutMs));
}

void PrefixDesktop::RestoreAndActivate() {
  journal_.Add("SendMessage Application WM_SYSCOMMAND SC_RESTORE 0");
  journal_.Add("SetForegroundWindow Application");
}

void PrefixDesktop::ShowHelpPopup(const std::string& helpFile, int topic, int x, int y) {
  journal_.Add("WinHelp " + helpFile + " HELP_SETPOPUP_POS " + std::to_string(x) + "," +
               std::to_string(y));
  journal_.Add("WinHelp " + helpFile + " HELP_CONTEXTPOPUP " + std::to_string(topic));
}

}  // namespace vlx::prefix
