// The main window with the built pages bound, over a small machine image in a temporary folder
// (files, attributes and INI files through the offline adapters), a simulated screen, a
// clipboard, dialogs answered from queues, an image library and system facts set by the test.
#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/context.h"
#include "app/main_form.h"
#include "app/page_tables.h"
#include "path_temp_dir.h"
#include "platform/platform.h"
#include "prefix/dos_attributes.h"
#include "prefix/journal.h"
#include "prefix/path_mapper.h"
#include "prefix/prefix_files.h"
#include "prefix/prefix_profile.h"
#include "prefix/prefix_screen.h"
#include "ui/form.h"
#include "unit/named_pictures.h"
#include "unit/win98_folders.h"

namespace vlx::pagetest {

// Every picker answers from its queue; an empty queue is a cancel.
struct AnsweringDialogs : Dialogs {
  int ShowMessage(const std::string&, const std::string& text, std::uint32_t) override {
    messages.push_back(text);
    return idanswer::Ok;
  }
  bool PickFile(const OpenFileRequest&, std::string&) override { return false; }
  bool PickColour(std::uint32_t& colour) override {
    colourStarts.push_back(colour);
    return Answer(colours, colour);
  }
  bool BrowseFolder(const std::string& title, const std::string& start,
                    std::string& path) override {
    folderRequests.push_back(title + "|" + start);
    return Answer(folders, path);
  }
  bool PickIcon(std::string& file, int& index) override {
    iconRequests.push_back(file + "," + std::to_string(index));
    if (icons.empty()) return false;
    file = icons.front().first;
    index = icons.front().second;
    icons.pop_front();
    return true;
  }
  template <class T>
  static bool Answer(std::deque<T>& queue, T& out) {
    if (queue.empty()) return false;
    out = queue.front();
    queue.pop_front();
    return true;
  }

  std::deque<std::uint32_t> colours;
  std::deque<std::string> folders;
  std::deque<std::pair<std::string, int>> icons;
  std::vector<std::uint32_t> colourStarts;
  std::vector<std::string> folderRequests, iconRequests, messages;
};

struct SetFacts : SystemFacts {
  bool Version(VersionFacts& out) override {
    if (!version) return false;
    out = *version;
    return true;
  }
  std::uint32_t VersionWord() override { return versionWord; }
  MemoryFacts Memory() override { return memory; }
  bool Volume(const std::string& root, VolumeFacts& out) override {
    roots.push_back(root);
    if (!volume) return false;
    out = *volume;
    return true;
  }
  std::optional<VersionFacts> version;
  std::uint32_t versionWord = 0;
  MemoryFacts memory;
  std::optional<VolumeFacts> volume;
  std::vector<std::string> roots;
};

class PageMachine {
 public:
  PageMachine() {
    std::filesystem::create_directories(dir.path() / "drive_c" / "WINDOWS" / "SYSTEM");
    platform.files = &files;
    platform.system = &folders;
    platform.profile = &profile;
    platform.dialogs = &dialogs;
    platform.library = &library;
    platform.screen = &screen;
    platform.clipboard = &clipboard;
    platform.facts = &facts;
    BuildForms(ctx);
    BindSystemToolPages(ctx);
  }

  std::filesystem::path Host(const std::string& relative) const {
    return dir.path() / "drive_c" / relative;
  }
  void Write(const std::string& relative, const std::string& bytes) {
    testing::WriteHostFile(Host(relative), bytes);
  }
  std::string Read(const std::string& relative) const { return testing::ReadHostFile(Host(relative)); }
  std::uint32_t Attributes(const std::string& relative) const {
    return prefix::ReadDosAttributes(Host(relative));
  }

  ui::Control& Get(const std::string& name) { return ctx.Get(name); }
  template <class T>
  T& Get(const std::string& name) {
    return ctx.Get<T>(name);
  }

  testing::TempDir dir;
  prefix::PathMapper paths{dir.path()};
  prefix::PrefixFiles files{paths};
  testing::Win98Folders folders;
  prefix::PrefixProfile profile{paths, files, folders};
  AnsweringDialogs dialogs;
  NamedPictures library;
  prefix::SimulatedScreen screen;
  prefix::Journal journal;
  prefix::PrefixClipboard clipboard{journal};
  SetFacts facts;
  Platform platform;
  Context ctx{platform, "C:\\Program Files\\Volnerix\\"};
};

}  // namespace vlx::pagetest
