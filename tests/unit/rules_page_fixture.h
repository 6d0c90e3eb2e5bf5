// A main window holding the three rule pages over fake ports, for page tests.
#pragma once
#include <gtest/gtest.h>

#include "app/context.h"
#include "app/main_form.h"
#include "app/page_tables.h"
#include "pages/controlpanel.h"
#include "pages/desktop.h"
#include "pages/startmenu.h"
#include "ui/user_action.h"
#include "unit/rules_fakes.h"

namespace vlx::rulestest {

class PageHarness {
 public:
  PageHarness() : context(machine.platform, "C:\\Program Files\\Volnerix\\") {
    BuildForms(context);
    BindSettingsPages(context);
  }

  template <class T = ui::Control>
  T& Get(const std::string& name) {
    return context.Get<T>(name);
  }
  bool Checked(const std::string& name) { return Get<ui::CheckBox>(name).Checked(); }
  bool ItemChecked(const std::string& list, int item) {
    return Get<ui::ListControl>(list).ItemChecked(item);
  }
  void PutBinary(RegKey root, const std::string& key, const std::string& name, std::uint32_t v) {
    machine.registry.Put(root, key, name, regtype::Binary,
                         std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)});
  }
  void PutText(RegKey root, const std::string& key, const std::string& name, const std::string& text) {
    machine.registry.Put(root, key, name, regtype::Sz, text + '\0');
  }
  const FakeRegistry::Value* Stored(RegKey root, const std::string& key, const std::string& name) {
    return machine.registry.Get(root, key, name);
  }

  FakeMachine machine;
  Context context;
};

class PageTest : public ::testing::Test, public PageHarness {};

}  // namespace vlx::rulestest
