// Recording fakes of the ports the main window uses; every call lands in one ordered log.
#pragma once
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "app/context.h"
#include "platform/platform.h"
#include "unit/named_pictures.h"
#include "unit/rules_fakes.h"
#include "unit/win98_folders.h"

namespace vlx::apptest {

using Log = std::vector<std::string>;

struct FakeDesktop : Desktop {
  explicit FakeDesktop(Log& log) : log(log) {}
  bool CreateInstanceMutex(const std::string& name) override {
    log.push_back("mutex " + name);
    return !anotherCopy;
  }
  std::uint32_t RegisterMessage(const std::string& name) override {
    log.push_back("register " + name);
    return 0xC123;
  }
  void Broadcast(std::uint32_t message, std::uintptr_t w, std::intptr_t l) override {
    log.push_back("broadcast " + std::to_string(message) + " " + std::to_string(w) + " " +
                  std::to_string(l));
  }
  void BroadcastWithTimeout(std::uint32_t message, std::uintptr_t w, std::intptr_t l,
                            std::uint32_t flags, std::uint32_t timeoutMs) override {
    log.push_back("broadcast " + std::to_string(message) + " " + std::to_string(w) + " " +
                  std::to_string(l) + " timeout " + std::to_string(flags) + " " +
                  std::to_string(timeoutMs));
  }
  void RestoreAndActivate() override { log.push_back("restore"); }
  void ShowHelpPopup(const std::string& file, int topic, int x, int y) override {
    log.push_back("help " + file + " " + std::to_string(topic) + " " + std::to_string(x) + "," +
                  std::to_string(y));
  }
  Log& log;
  bool anotherCopy = false;
};

struct FakeDialogs : Dialogs {
  explicit FakeDialogs(Log& log) : log(log) {}
  int ShowMessage(const std::string& title, const std::string& text, std::uint32_t flags) override {
    log.push_back("message " + title + " | " + text + " | " + std::to_string(flags));
    if (answers.empty()) return idanswer::Ok;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool PickFile(const OpenFileRequest&, std::string&) override { return false; }
  bool PickColour(std::uint32_t&) override { return false; }
  bool BrowseFolder(const std::string&, const std::string&, std::string&) override {
    return false;
  }
  bool PickIcon(std::string&, int&) override { return false; }
  Log& log;
  std::deque<int> answers;
};

struct FakeFiles : Files {
  std::uint32_t GetAttributes(const std::string& path) override {
    return existing.count(path) ? fileattr::Normal : fileattr::Invalid;
  }
  bool SetAttributes(const std::string&, std::uint32_t) override { return false; }
  bool Exists(const std::string& path) override { return existing.count(path) > 0; }
  bool WriteWholeFile(const std::string&, std::string_view) override { return false; }
  bool MakeDirectory(const std::string&) override { return false; }
  bool RemoveEmptyDirectory(const std::string&) override { return false; }
  std::set<std::string> existing;
};

struct FakeLibrary : NamedPictures {
  explicit FakeLibrary(Log& log) : NamedPictures(log) {}
};

// INI files that hold nothing and take every write.
struct EmptyProfile : Profile {
  std::uint32_t GetString(const char*, const char*, const char* defaultValue, std::string& result,
                          std::uint32_t, const std::string&) override {
    result = defaultValue ? defaultValue : "";
    return static_cast<std::uint32_t>(result.size());
  }
  bool WriteString(const char*, const char*, const char*, const char*) override { return true; }
};

// Facts of a machine that reports nothing.
struct NoFacts : SystemFacts {
  bool Version(VersionFacts&) override { return false; }
  std::uint32_t VersionWord() override { return 0; }
  MemoryFacts Memory() override { return {}; }
  bool Volume(const std::string&, VolumeFacts&) override { return false; }
};

constexpr const char* kProgramDir = "C:\\Program Files\\Volnerix\\";

// A machine with both libraries in the program folder.
struct FakeMachine {
  FakeMachine() {
    files.existing = {std::string(kProgramDir) + "vlximg.dll",
                      std::string(kProgramDir) + "vxeject.dll"};
    platform.files = &files;
    platform.system = &system;
    platform.library = &library;
    platform.dialogs = &dialogs;
    platform.desktop = &desktop;
    platform.registry = &pages.registry;  // what the settings pages' steps reach
    platform.shell = &pages.files;
    platform.parameters = &pages.parameters;
    platform.windows = &pages.windows;
    platform.profile = &profile;
    platform.facts = &facts;
  }
  vlx::rulestest::FakeMachine pages;
  Log log;
  FakeDesktop desktop{log};
  FakeDialogs dialogs{log};
  FakeFiles files;
  FakeLibrary library{log};
  testing::Win98Folders system;
  EmptyProfile profile;
  NoFacts facts;
  Platform platform;
};

}  // namespace vlx::apptest
