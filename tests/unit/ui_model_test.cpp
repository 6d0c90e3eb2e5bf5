#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/collation.h"
#include "ui/form.h"
#include "ui/user_action.h"

namespace vlx::ui {
namespace {

using Log = std::vector<std::string>;

// A small form with one control of each kind that has event semantics; handlers append to log.
void BuildSample(Form& form, Log& log) {
  const ControlSpec specs[] = {
      {.kind = Kind::TabControl, .name = "pg", .bounds = {8, 8, 300, 300}, .help = 75},
      {.kind = Kind::TabSheet, .name = "Sheet1", .parent = "pg", .caption = "One"},
      {.kind = Kind::TabSheet, .name = "Sheet2", .parent = "pg", .caption = "Two"},
      {.kind = Kind::GroupBox, .name = "gb", .parent = "Sheet1", .help = 27},
      {.kind = Kind::CheckBox, .name = "cb", .parent = "gb", .caption = "box"},
      {.kind = Kind::RadioButton, .name = "rb1", .parent = "gb", .checked = true},
      {.kind = Kind::RadioButton, .name = "rb2", .parent = "gb"},
      {.kind = Kind::RadioButton, .name = "rbOther", .parent = "Sheet1", .checked = true},
      {.kind = Kind::Edit, .name = "edt", .parent = "Sheet1", .help = 50},
      {.kind = Kind::TrackBar, .name = "trb", .parent = "Sheet1", .min = 0, .max = 255},
      {.kind = Kind::SpinEdit,
       .name = "se",
       .parent = "Sheet1",
       .caption = "3",
       .min = 1,
       .max = 60},
      {.kind = Kind::CheckListBox, .name = "clb", .parent = "Sheet1", .items = {"a", "b"}},
      {.kind = Kind::ComboBox, .name = "cmb", .parent = "Sheet1", .items = {"x", "y"}},
      {.kind = Kind::Button, .name = "btn", .parent = "Sheet2"},
      {.kind = Kind::SpeedButton,
       .name = "sp1",
       .parent = "Sheet2",
       .checked = true,
       .groupIndex = 1},
      {.kind = Kind::SpeedButton, .name = "sp2", .parent = "Sheet2", .groupIndex = 1},
      {.kind = Kind::PopupMenu, .name = "pm"},
      {.kind = Kind::MenuItem, .name = "nDelete", .parent = "pm", .caption = "Delete"},
  };
  form.Build(specs);
  for (const char* name : {"pg", "cb", "rb1", "rb2", "rbOther", "edt", "trb", "se", "clb", "cmb",
                           "btn", "sp1", "sp2", "nDelete"}) {
    Control& c = form.Get(name);
    c.onClick = [&log, name] { log.push_back(std::string(name) + ".click"); };
    c.onChange = [&log, name] { log.push_back(std::string(name) + ".change"); };
  }
  form.Get<ListControl>("clb").onClickCheck = [&log] { log.push_back("clb.clickcheck"); };
}

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildSample(form, log); }
  Form form{"frm"};
  Log log;
};

TEST(Model, ChangesRunTheHandlersThePlatformRuns) {
  struct Case {
    const char* what;
    std::function<void(Form&)> act;
    Log expected;
  } cases[] = {
      {"check box to a different state",
       [](Form& f) { f.Get<CheckBox>("cb").SetChecked(true); },
       {"cb.click"}},
      {"check box to the same state", [](Form& f) { f.Get<CheckBox>("cb").SetChecked(false); }, {}},
      {"radio checked: siblings off silently",
       [](Form& f) { f.Get<RadioButton>("rb2").SetChecked(true); },
       {"rb2.click"}},
      {"radio to the state it has",
       [](Form& f) { f.Get<RadioButton>("rb1").SetChecked(true); },
       {}},
      {"radio unchecked from code",
       [](Form& f) { f.Get<RadioButton>("rb1").SetChecked(false); },
       {}},
      {"edit text differs", [](Form& f) { f.Get<Edit>("edt").SetText("abc"); }, {"edt.change"}},
      {"edit text the same", [](Form& f) { f.Get<Edit>("edt").SetText(""); }, {}},
      {"slider moved", [](Form& f) { f.Get<RangeControl>("trb").SetPosition(7); }, {"trb.change"}},
      {"slider to where it is", [](Form& f) { f.Get<RangeControl>("trb").SetPosition(0); }, {}},
      {"spin edit value", [](Form& f) { f.Get<RangeControl>("se").SetPosition(5); }, {"se.change"}},
      {"user clicks check box", [](Form& f) { UserClick(f.Get("cb")); }, {"cb.click"}},
      {"user checks what is checked", [](Form& f) { UserCheck(f.Get("rb1"), true); }, {}},
      {"user clicks checked radio", [](Form& f) { UserClick(f.Get("rb1")); }, {}},
      {"user ticks check item",
       [](Form& f) { UserCheckItem(f.Get("clb"), 1, true); },
       {"clb.clickcheck"}},
      {"user ticks ticked item",
       [](Form& f) {
         f.Get<ListControl>("clb").SetItemChecked(1, true);
         UserCheckItem(f.Get("clb"), 1, true);
       },
       {}},
      {"user selects combo item", [](Form& f) { UserSelect(f.Get("cmb"), 1); }, {"cmb.change"}},
      {"code selects combo item", [](Form& f) { f.Get<ComboBox>("cmb").SetItemIndex(1); }, {}},
      {"user switches page", [](Form& f) { UserSelect(f.Get("pg"), 1); }, {"pg.change"}},
      {"user picks shown page", [](Form& f) { UserSelect(f.Get("pg"), 0); }, {}},
      {"user types", [](Form& f) { UserType(f.Get("edt"), "x"); }, {"edt.change"}},
      {"user moves slider", [](Form& f) { UserSet(f.Get("trb"), 9); }, {"trb.change"}},
      {"menu item", [](Form& f) { UserClick(f.Get("nDelete")); }, {"nDelete.click"}},
      {"speed button in group", [](Form& f) { UserClick(f.Get("sp2")); }, {"sp2.click"}},
  };
  for (auto& c : cases) {
    Form form{"frm"};
    Log log;
    BuildSample(form, log);
    c.act(form);
    EXPECT_EQ(log, c.expected) << c.what;
  }
}

TEST_F(ModelTest, RadioButtonsAreExclusiveAmongSiblingsOnly) {
  UserClick(form.Get("rb2"));
  EXPECT_FALSE(form.Get<RadioButton>("rb1").Checked());
  EXPECT_TRUE(form.Get<RadioButton>("rb2").Checked());
  EXPECT_TRUE(form.Get<RadioButton>("rbOther").Checked()) << "another parent is another group";
  EXPECT_THROW(UserCheck(form.Get("rb2"), false), UiError);
}

TEST_F(ModelTest, CheckBoxClickHandlerSeesTheNewStateAndCanDriveDependents) {
  // A master box enables its dependents from its click handler.
  auto& master = form.Get<CheckBox>("cb");
  master.onClick = [&] { form.Get("edt").SetEnabled(master.Checked()); };
  form.Get("edt").SetEnabled(false);
  master.SetChecked(false);  // the state it has: dependents keep theirs
  EXPECT_FALSE(form.Get("edt").Enabled());
  master.SetChecked(true);
  EXPECT_TRUE(form.Get("edt").Enabled());
}

TEST_F(ModelTest, RangesClampAndSpinEditReadsBadTextAsMinValue) {
  auto& slider = form.Get<RangeControl>("trb");
  slider.SetPosition(300);
  EXPECT_EQ(slider.Position(), 255);
  slider.SetPosition(-4);
  EXPECT_EQ(slider.Position(), 0);

  auto& spin = form.Get<RangeControl>("se");
  struct Case {
    const char* text;
    int value;
  } cases[] = {{"3", 3}, {"", 1}, {"abc", 1}, {"12x", 1}, {"99", 60}, {"0", 1}, {" 7", 7}};
  for (const auto& c : cases) {
    UserType(spin, c.text);
    EXPECT_EQ(spin.Position(), c.value) << c.text;
  }
  spin.SetPosition(1000);
  EXPECT_EQ(spin.Text(), "60");
}

TEST_F(ModelTest, SortedListBoxKeepsCollationOrderAndSelection) {
  form.Add({.kind = Kind::ListBox, .name = "lst", .sorted = true});
  auto& list = form.Get<ListControl>("lst");
  for (const char* text : {"Яблоко", "beta", "Alpha", "ёж", "Ежевика", "10", "alpha"}) {
    list.Add(text);
  }
  std::vector<std::string> order;
  for (const ListItem& item : list.Items()) order.push_back(item.text);
  EXPECT_EQ(order,
            (std::vector<std::string>{"10", "Alpha", "alpha", "beta", "Ежевика", "ёж", "Яблоко"}));
  list.SetItemIndex(list.IndexOf("beta"));
  list.Add("aaa");  // inserted before the selection: the selection follows its item
  EXPECT_EQ(list.SelectedText(), "beta");
  list.Delete(list.ItemIndex());
  EXPECT_EQ(list.ItemIndex(), -1);
  EXPECT_LT(CompareText("abc", "Abc"), 0);
  EXPECT_EQ(CompareTextNoCase("abc", "ABC"), 0);
}

TEST_F(ModelTest, LookupByNameHelpAndReachability) {
  EXPECT_EQ(&form.Get("CB"), &form.Get("cb")) << "names compare without regard to case";
  EXPECT_EQ(form.Find("nothing"), nullptr);
  EXPECT_THROW(form.Get<Edit>("cb"), UiError);
  EXPECT_THROW(form.Add({.kind = Kind::Label, .name = "cb"}), UiError);
  EXPECT_THROW(form.Add({.kind = Kind::Label, .name = "x", .parent = "nowhere"}), UiError);

  EXPECT_EQ(Form::HelpContextFor(form.Get("edt")), 50);
  EXPECT_EQ(Form::HelpContextFor(form.Get("cb")), 27) << "the group box's number";
  EXPECT_EQ(Form::HelpContextFor(form.Get("btn")), 75) << "the tab control's number";
  EXPECT_EQ(Form::HelpContextFor(form.Get("pm")), 0);

  form.Get("gb").SetEnabled(false);
  EXPECT_FALSE(form.Get("cb").Reachable());
  EXPECT_THROW(UserClick(form.Get("cb")), UiError) << "a disabled parent disables its children";
  EXPECT_THROW(UserClick(form.Get("se")), UiError) << "a spin edit is not clicked";
  EXPECT_THROW(UserSelect(form.Get("cmb"), 2), UiError);
}

TEST_F(ModelTest, PageControlTabsAndObserverSeesEveryChange) {
  auto& tabs = form.Get<TabControl>("pg");
  EXPECT_EQ(tabs.TabCount(), 2);
  EXPECT_EQ(tabs.TabCaption(1), "Two");
  EXPECT_EQ(tabs.ActivePage(), &form.Get("Sheet1"));

  struct Recorder : FormObserver {
    std::vector<std::string> seen;
    void Changed(Control& c, Prop p) override {
      seen.push_back(c.Name() + ":" + std::to_string(static_cast<int>(p)));
    }
  } recorder;
  form.SetObserver(&recorder);
  UserSelect(tabs, 1);
  form.Get<RadioButton>("rb2").SetChecked(true);
  EXPECT_EQ(recorder.seen,
            (std::vector<std::string>{"pg:" + std::to_string(static_cast<int>(Prop::ItemIndex)),
                                      "rb2:" + std::to_string(static_cast<int>(Prop::Checked)),
                                      "rb1:" + std::to_string(static_cast<int>(Prop::Checked))}));
  form.SetObserver(nullptr);
}

TEST_F(ModelTest, SpeedButtonGroupKeepsOneDown) {
  auto& sp1 = form.Get<SpeedButton>("sp1");
  auto& sp2 = form.Get<SpeedButton>("sp2");
  EXPECT_TRUE(sp1.Down());
  UserClick(sp2);
  EXPECT_FALSE(sp1.Down());
  EXPECT_TRUE(sp2.Down());
  UserClick(sp2);
  EXPECT_TRUE(sp2.Down()) << "without AllowAllUp the last button stays down";
}

TEST_F(ModelTest, ListViewCellsAndMemoLines) {
  form.Add({.kind = Kind::ListView, .name = "lv", .columns = {{"Name", 120}, {"Id", 70}}});
  auto& view = form.Get<ListView>("lv");
  const int row = view.Add("explorer.exe");
  view.SetCell(row, 2, "x");
  view.SetCell(row, 1, "123");
  EXPECT_EQ(view.CellText(row, 0), "explorer.exe");
  EXPECT_EQ(view.CellText(row, 1), "123");
  EXPECT_EQ(view.CellText(row, 2), "x");
  EXPECT_EQ(view.CellText(row, 3), "");

  form.Add({.kind = Kind::Memo, .name = "mem"});
  auto& memo = form.Get<Edit>("mem");
  memo.SetLines({"one", "", "two"});
  EXPECT_EQ(memo.Text(), "one\r\n\r\ntwo\r\n");
  EXPECT_EQ(memo.Lines(), (std::vector<std::string>{"one", "", "two"}));
}

}  // namespace
}  // namespace vlx::ui
