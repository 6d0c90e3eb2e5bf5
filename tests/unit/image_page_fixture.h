// The main window with the settings pages bound, over a fresh offline machine image in a
// temporary folder; message boxes are collected as "title: text".
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/context.h"
#include "app/main_form.h"
#include "app/page_tables.h"
#include "path_temp_dir.h"
#include "prefix/machine_image.h"
#include "prefix/prefix_machine.h"
#include "store/store_routine.h"

namespace vlx::testing {

class ImagePageTest : public ::testing::Test {
 protected:
  ImagePageTest() {
    BuildForms(context);
    BindSettingsPages(context);
    machine.dialogs().onMessage = [this](const std::string& title, const std::string& text,
                                         std::uint32_t) { messages.push_back(title + ": " + text); };
  }
  static std::filesystem::path Created(const TempDir& dir) {
    prefix::CreateMachineImage(dir.path() / "img");
    return dir.path() / "img";
  }
  // The stored text, or "<absent>".
  std::string Read(RegKey root, const std::string& key, const std::string& name) {
    return RunStoreRoutine(*machine.platform().registry, root, [&](RegStore& store) {
      if (!store.OpenPath(key, false) || !store.HasValue(name)) return std::string("<absent>");
      return store.ReadText(name);
    });
  }
  // Runs `write` on the key, created when missing.
  template <class Write>
  void Store(RegKey root, const std::string& key, Write&& write) {
    RunStoreRoutine(*machine.platform().registry, root, [&](RegStore& store) {
      ASSERT_TRUE(store.OpenPath(key, true));
      write(store);
    });
  }
  void Write(RegKey root, const std::string& key, const std::string& name, const std::string& text) {
    Store(root, key, [&](RegStore& store) { store.WriteText(name, text); });
  }

  TempDir dir;
  prefix::PrefixMachine machine{Created(dir)};
  Context context{machine.platform(), "C:\\Program Files\\Volnerix\\"};
  std::vector<std::string> messages;
};

}  // namespace vlx::testing
