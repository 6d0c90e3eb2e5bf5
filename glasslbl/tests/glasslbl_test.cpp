#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "core/command_line.h"
#include "core/glasslbl.h"

namespace glasslbl {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

std::string Hex(std::uintmax_t value) {
  std::ostringstream out;
  out << "0x" << std::hex << value;
  return out.str();
}

// A window tree with list-view answers; every call lands in `calls`.
class FakeDesktop final : public DesktopPort {
 public:
  struct Node {
    std::string className;
    Window firstChild = kNoWindow;
  };
  std::map<Window, Node> windows;
  std::map<std::string, Window> topLevel;
  std::intptr_t textColour = 0x000000, textBkColour = 0x808000, itemCount = 3;
  std::uint32_t desktopColour = 0x00A08040;
  std::vector<std::string> calls;
  struct Box {
    std::string text, title;
    unsigned flags;
  };
  std::vector<Box> boxes;

  // ProgMan -> SHELLDLL_DefView -> `leafClass`; returns the leaf (window 3).
  Window BuildShell(const std::string& leafClass = "SysListView32") {
    topLevel["ProgMan"] = 1;
    windows[1] = {"Progman", 2};
    windows[2] = {"SHELLDLL_DefView", 3};
    windows[3] = {leafClass, kNoWindow};
    return 3;
  }

  Window FindTopWindow(const std::string& className) override {
    calls.push_back("find " + className);
    const auto it = topLevel.find(className);
    return it == topLevel.end() ? kNoWindow : it->second;
  }
  Window FirstChild(Window parent) override {
    calls.push_back("child " + std::to_string(parent));
    return windows.at(parent).firstChild;
  }
  std::string ClassNameOf(Window window) override {
    calls.push_back("class " + std::to_string(window));
    return windows.at(window).className;
  }
  std::intptr_t Send(Window window, unsigned message, std::uintptr_t wParam,
                     std::intptr_t lParam) override {
    calls.push_back("send " + std::to_string(window) + " " + Hex(message) + " " +
                    std::to_string(wParam) + " " + Hex(static_cast<std::uintptr_t>(lParam)));
    switch (message) {
      case kLvmGetTextColor: return textColour;
      case kLvmGetTextBkColor: return textBkColour;
      case kLvmGetItemCount: return itemCount;
      case kLvmSetTextBkColor: textBkColour = lParam; return 1;
      default: return 1;
    }
  }
  void Repaint(Window window) override { calls.push_back("repaint " + std::to_string(window)); }
  std::uint32_t SystemColour(int index) override {
    calls.push_back("syscolour " + std::to_string(index));
    return desktopColour;
  }
  void ShowMessage(const std::string& text, const std::string& title, unsigned flags) override {
    calls.push_back("message");
    boxes.push_back({text, title, flags});
  }
};

TEST(GlasslblCommandLine, SplitsOnControlCharactersAndBlanksAndGroupsQuotes) {
  struct Case {
    std::string line;
    std::vector<std::string> expected;
  } cases[] = {
      {"glasslbl.exe /HIDE", {"glasslbl.exe", "/HIDE"}},
      {"\"C:\\Program Files\\glasslbl.exe\" /hide", {"C:\\Program Files\\glasslbl.exe", "/hide"}},
      {"  a\t\x01\x1f" "b \x7f ", {"a", "b", "\x7f"}},
      {"a \"/HI\"DE \"two words\"", {"a", "/HIDE", "two words"}},
      {"a \"\" b", {"a", "", "b"}},
      {"a \"unterminated quote", {"a", "unterminated quote"}},
      // Bytes above 127 are letters, not separators.
      {"a Прозрачный\xA0\xFF", {"a", "Прозрачный\xA0\xFF"}},
      {std::string("a b\0c", 5), {"a", "b"}},
      {"", {}},
      {" \t ", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.expected) << c.line;
  EXPECT_THAT(ProgramArguments("\"x y.exe\"   "), IsEmpty());
  EXPECT_THAT(ProgramArguments("x.exe /VISIBLE /HIDE"), ElementsAre("/VISIBLE", "/HIDE"));
}

TEST(GlasslblCommandLine, OnlyTheFirstArgumentInOneOfFourExactFormsActs) {
  using Args = std::vector<std::string>;
  struct Case {
    Args arguments;
    Action expected;
  } cases[] = {
      {{"/hide"}, Action::Hide},       {{"/HIDE"}, Action::Hide},
      {{"/visible"}, Action::Show},    {{"/VISIBLE"}, Action::Show},
      {{"/HIDE", "/VISIBLE"}, Action::Hide},
      {{"/VISIBLE", "/hide"}, Action::Show},
      {{}, Action::Usage},
      {{""}, Action::Usage},           {{"", "/HIDE"}, Action::Usage},
      {{"/Hide"}, Action::Nothing},
      {{"/Visible"}, Action::Nothing}, {{"hide"}, Action::Nothing},
      {{"-HIDE"}, Action::Nothing},    {{"/HIDE "}, Action::Nothing},
      {{"/HIDEx"}, Action::Nothing},   {{"x", "/HIDE"}, Action::Nothing},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseAction(c.arguments), c.expected)
        << (c.arguments.empty() ? "<none>" : c.arguments.front());
}

TEST(Glasslbl, HideSendsTheListViewMessagesInOrderAndEndsWithZero) {
  FakeDesktop desktop;
  desktop.BuildShell();
  EXPECT_EQ(RunGlasslbl(desktop, "glasslbl.exe /HIDE"), 0);
  EXPECT_THAT(desktop.calls, ElementsAre("find ProgMan", "child 1", "child 2", "class 3",
                                         "send 3 0x1023 0 0x0", "send 3 0x1024 0 0x0",
                                         "send 3 0x1025 0 0x0", "send 3 0x1026 0 0x808000",
                                         "send 3 0x1026 0 0xffffffff", "send 3 0x1004 0 0x0",
                                         "send 3 0x1015 0 0x2", "repaint 3"));
  EXPECT_EQ(desktop.textBkColour, 0xFFFFFFFF);
  EXPECT_THAT(desktop.boxes, IsEmpty());
}

TEST(Glasslbl, VisibleReadsTheDesktopColourFirstAndRedrawsAnEmptyDesktop) {
  FakeDesktop desktop;
  desktop.BuildShell();
  desktop.itemCount = 0;
  desktop.textBkColour = 0xFFFFFFFF;
  EXPECT_EQ(RunGlasslbl(desktop, "glasslbl.exe /visible /HIDE"), 0);
  ASSERT_GE(desktop.calls.size(), 2u);
  EXPECT_EQ(desktop.calls[0], "syscolour 1");
  EXPECT_EQ(desktop.calls[1], "find ProgMan");
  EXPECT_EQ(desktop.textBkColour, 0x00A08040);
  // No icons: the redraw range is 0 to -1.
  EXPECT_EQ(desktop.calls.end()[-2], "send 3 0x1015 0 0xffffffffffffffff");
}

TEST(Glasslbl, WithoutTheShellListViewNothingIsSent) {
  struct Case {
    const char* what;
    std::function<void(FakeDesktop&)> arrange;
  } cases[] = {
      {"no ProgMan window", [](FakeDesktop&) {}},
      {"ProgMan without children",
       [](FakeDesktop& d) { d.BuildShell(); d.windows[1].firstChild = kNoWindow; }},
      {"child without children",
       [](FakeDesktop& d) { d.BuildShell(); d.windows[2].firstChild = kNoWindow; }},
      {"list view one level up",
       [](FakeDesktop& d) { d.BuildShell(); d.windows[2].className = "SysListView32"; d.windows[3].className = "Static"; }},
      {"class differs in case", [](FakeDesktop& d) { d.BuildShell("syslistview32"); }},
      {"longer class name", [](FakeDesktop& d) { d.BuildShell("SysListView32A"); }},
  };
  for (const auto& c : cases) {
    for (const char* line : {"g /HIDE", "g /VISIBLE"}) {
      FakeDesktop desktop;
      c.arrange(desktop);
      EXPECT_EQ(FindDesktopListView(desktop), kNoWindow) << c.what;
      EXPECT_EQ(RunGlasslbl(desktop, line), 0);
      for (const auto& call : desktop.calls)
        EXPECT_FALSE(call.starts_with("send") || call.starts_with("repaint"))
            << c.what << ": " << call;
      EXPECT_THAT(desktop.boxes, IsEmpty()) << c.what;
    }
  }
}

TEST(Glasslbl, UsageBoxUnlessTheFirstArgumentIsNonEmpty) {
  for (const char* line :
       {"glasslbl.exe", "\"C:\\My Tools\\glasslbl.exe\"  \t ", "glasslbl.exe \"\"",
        "glasslbl.exe \"\" /HIDE"}) {
    FakeDesktop desktop;
    desktop.BuildShell();
    EXPECT_EQ(RunGlasslbl(desktop, line), 0);
    EXPECT_THAT(desktop.calls, ElementsAre("message")) << line;
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].title, "Transparent background");
    EXPECT_EQ(desktop.boxes[0].flags, 0u);  // MB_OK, no icon
    const std::string text = desktop.boxes[0].text;
    const std::vector<std::string> lines = {
        "Transparent background - приложение для скрытия/отображения фона",
        "текста элементов рабочего стола.",
        "",
        "Программа должна быть запущена с одним из следующих параметров:",
        "",
        "  /HIDE\t\tСкрыть фон",
        "  /VISIBLE\tПоказать фон",
        "",
    };
    std::vector<std::string> actual;
    std::size_t start = 0;
    for (std::size_t cr; (cr = text.find('\r', start)) != std::string::npos; start = cr + 1)
      actual.push_back(text.substr(start, cr - start));
    EXPECT_THAT(actual, ElementsAreArray(lines));
    EXPECT_FALSE(text.substr(start).empty()) << "the rights line";
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(text[25], '\xEF') << "code page 1251";  // 'п'
  }
  for (const char* line : {"glasslbl.exe \" \"", "glasslbl.exe /Hide", "glasslbl.exe word"}) {
    FakeDesktop desktop;
    desktop.BuildShell();
    EXPECT_EQ(RunGlasslbl(desktop, line), 0);
    EXPECT_THAT(desktop.calls, IsEmpty()) << line;
  }
}

}  // namespace
}  // namespace glasslbl
