// The main window's forms realised as native windows over the real API: the form's own
// visibility reaches its window (File Killer hides it before the restart request, stood in
// here), the page keys step through the pages, and the folder browser opens on the folder it
// is given.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "app/context.h"
#include "app/main_form.h"
#include "store/reg_store.h"
#include "tools/tool_pages.h"
#include "ui/user_action.h"
#include "ui/win32/native_form.h"
#include "unit/tool_fakes.h"
#include "win32/win32_dialogs.h"
#include "win32/win32_platform.h"

namespace vlx {
namespace {

constexpr char kHostClass[] = "VlxNativeFormTestHost";
constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

ui::win32::NativeForm* g_native = nullptr;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  LRESULT result = 0;
  if (g_native && g_native->HandleMessage(message, w, l, result)) return result;
  return DefWindowProcA(window, message, w, l);
}

// The restart request, stood in: it notes whether the main window was on screen.
struct StandInRestart : testing::FakeProcesses {
  bool ExitSystem(std::uint32_t flags) override {
    windowShownAtRestart = IsWindowVisible(host) != FALSE;
    return FakeProcesses::ExitSystem(flags);
  }
  HWND host = nullptr;
  bool windowShownAtRestart = true;
};

class NativeFormWine : public ::testing::Test {
 protected:
  NativeFormWine() {
    platform.dialogs = &dialogs;
    platform.processes = &processes;
    BuildForms(ctx);
    BindToolPages(ctx);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ui::win32::NativeForm::RegisterClasses(instance);
    WNDCLASSA cls{};
    cls.lpfnWndProc = HostProc;
    cls.hInstance = instance;
    cls.lpszClassName = kHostClass;
    RegisterClassA(&cls);  // fails harmlessly when an earlier test registered it
    host = CreateWindowExA(WS_EX_CONTROLPARENT, kHostClass, "Volnerix",
                           WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN, 0, 0, 380, 520, nullptr,
                           nullptr, instance, nullptr);
    processes.host = host;
    native = std::make_unique<ui::win32::NativeForm>(
        ctx.frmMain, host, [](const std::function<void()>& action) { action(); });
    g_native = native.get();
    native->Realize();
    ShowWindow(host, SW_SHOWNA);
  }
  ~NativeFormWine() override {
    g_native = nullptr;
    ctx.frmMain.SetObserver(nullptr);
    DestroyWindow(host);
    native.reset();
  }
  HWND Window(const char* name) { return native->WindowOf(ctx.Get(name)); }
  // A key pressed with Ctrl (and Shift) held, as the message loop hands it on.
  bool PressWithCtrl(WPARAM key, bool shift = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG msg{};
    msg.hwnd = Window("pgSelectedPage");
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    const bool handled = native->StepPagesByKey(msg);
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    return handled;
  }

  win32::Win32Platform win;
  Platform platform = win.platform();
  testing::QueuedDialogs dialogs;
  StandInRestart processes;
  Context ctx{platform, "C:\\"};
  HWND host = nullptr;
  std::unique_ptr<ui::win32::NativeForm> native;
};

TEST_F(NativeFormWine, YesHidesTheWindowBeforeTheRestartAndARefusalShowsItAgain) {
  std::string temp(MAX_PATH, '\0');
  temp.resize(GetTempPathA(MAX_PATH, temp.data()));
  const std::string path = temp + "vlx-restart-held.dll";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);  // held without sharing: in use
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(IsWindowVisible(host));
  ui::UserType(ctx.Get("edtSourceFile"), path);
  ui::UserCheck(ctx.Get("cbBackUpFile"), false);

  dialogs.answers = {idanswer::Yes};
  ui::UserClick(ctx.Get("btnKillFile"));
  EXPECT_EQ(processes.log, std::vector<std::string>{"exit 2"});
  EXPECT_FALSE(processes.windowShownAtRestart);
  EXPECT_FALSE(IsWindowVisible(host));

  processes.exitWorks = false;
  ctx.frmMain.SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(host));
  dialogs.answers = {idanswer::Yes};
  ui::UserClick(ctx.Get("btnKillFile"));
  EXPECT_FALSE(processes.windowShownAtRestart);
  EXPECT_TRUE(IsWindowVisible(host)) << "the refused restart brings the window back";

  CloseHandle(file);
  DeleteFileA(path.c_str());
  RegStore store(*platform.registry);
  store.SetRoot(regroot::LocalMachine);
  if (store.OpenPath(kRunOnceKey, false)) store.RemoveValue("(Delete: vlx-restart-held.dll)");
}

TEST_F(NativeFormWine, CtrlTabAndCtrlPageKeysStepThroughThePagesLikeAClick) {
  auto& pages = ctx.Get<ui::TabControl>("pgSelectedPage");
  int switches = 0;
  pages.onChange = [&switches] { ++switches; };
  HWND tab = Window("pgSelectedPage");
  const int count = pages.TabCount();
  ui::UserSelect(pages, 8);
  switches = 0;
  struct Step {
    WPARAM key;
    bool shift;
    int page;
  } steps[] = {
      {VK_TAB, false, 9}, {VK_TAB, true, 8}, {VK_NEXT, false, 9}, {VK_PRIOR, false, 8},
  };
  for (const Step& step : steps) {
    EXPECT_TRUE(PressWithCtrl(step.key, step.shift));
    EXPECT_EQ(pages.ActiveIndex(), step.page);
    EXPECT_EQ(TabCtrl_GetCurSel(tab), step.page);
    EXPECT_TRUE(IsWindowVisible(native->WindowOf(*pages.ActivePage())));
  }
  EXPECT_EQ(switches, 4) << "each step runs the page-switch work";

  ui::UserSelect(pages, count - 1);
  PressWithCtrl(VK_TAB);
  EXPECT_EQ(pages.ActiveIndex(), 0) << "past the last page: the first";
  PressWithCtrl(VK_TAB, true);
  EXPECT_EQ(pages.ActiveIndex(), count - 1) << "before the first page: the last";

  // Without Ctrl, Tab and the page keys are left to dialog navigation.
  MSG plain{};
  plain.hwnd = tab;
  plain.message = WM_KEYDOWN;
  plain.wParam = VK_TAB;
  EXPECT_FALSE(native->StepPagesByKey(plain));
}

// Enter, Escape and the arrow keys as the message loop hands them on, from the control that has
// the focus: the button each presses or the radio button it selects, each handler run once, and
// where the focus is afterwards.
TEST_F(NativeFormWine, EnterEscapeAndArrowsActOnTheModelOnce) {
  std::map<std::string, int> clicks;
  const char* const counted[] = {"btnSaveAndClose", "btnClose",    "btnSave",    "rbShotcuts1",
                                 "rbShotcuts2",     "rbShotcuts3", "rbShotcuts4"};
  for (const char* name : counted) ctx.Get(name).onClick = [&clicks, name] { ++clicks[name]; };
  ui::UserSelect(ctx.Get("pgSelectedPage"), 11);  // "Сервис"
  ui::UserCheck(ctx.Get("rbShotcuts1"), true);
  clicks.clear();
  struct Row {
    const char* focus;
    WPARAM key;
    const char* clicked;  // the one handler run, or nullptr for none
    const char* focusAfter;
  } rows[] = {
      {"pgSelectedPage", VK_ESCAPE, "btnClose", "pgSelectedPage"},
      {"pgSelectedPage", VK_RETURN, "btnSaveAndClose", "pgSelectedPage"},
      {"btnSave", VK_RETURN, "btnSave", "btnSave"},  // a focused button takes Enter itself
      {"btnSave", VK_ESCAPE, "btnClose", "btnSave"},
      {"rbShotcuts1", VK_RETURN, "btnSaveAndClose", "rbShotcuts1"},
      {"rbShotcuts1", VK_DOWN, "rbShotcuts2", "rbShotcuts2"},
      {"rbShotcuts2", VK_RIGHT, "rbShotcuts3", "rbShotcuts3"},
      {"rbShotcuts3", VK_UP, "rbShotcuts2", "rbShotcuts2"},
      {"rbShotcuts2", VK_LEFT, "rbShotcuts1", "rbShotcuts1"},
      {"rbShotcuts1", VK_UP, "rbShotcuts4", "rbShotcuts4"},  // round the group
      {"rbShotcuts4", VK_DOWN, "rbShotcuts1", "rbShotcuts1"},
  };
  for (const Row& row : rows) {
    const std::string what = std::string(row.focus) + " key " + std::to_string(row.key);
    SetFocus(Window(row.focus));
    MSG msg{};
    msg.hwnd = Window(row.focus);
    msg.message = WM_KEYDOWN;
    msg.wParam = row.key;
    EXPECT_TRUE(native->TranslateDialogKey(msg)) << what;
    EXPECT_EQ(clicks, (std::map<std::string, int>{{row.clicked, 1}})) << what;
    EXPECT_EQ(GetFocus(), Window(row.focusAfter)) << what;
    if (std::string(row.clicked).rfind("rb", 0) == 0) {
      EXPECT_TRUE(ctx.Get<ui::CheckBox>(row.clicked).Checked()) << what;
      EXPECT_EQ(SendMessageA(Window(row.clicked), BM_GETCHECK, 0, 0), BST_CHECKED) << what;
      EXPECT_TRUE(GetWindowLongA(Window(row.clicked), GWL_STYLE) & WS_TABSTOP)
          << what << ": the group's tab stop moves to the checked button";
    }
    clicks.clear();
  }
  // The group's tab stop sits on the checked button alone.
  for (const char* name : {"rbShotcuts2", "rbShotcuts3", "rbShotcuts4"})
    EXPECT_FALSE(GetWindowLongA(Window(name), GWL_STYLE) & WS_TABSTOP) << name;
}

// The buttons' tab order of the table (Применить, Отмена, OK), not their order of creation, is
// the order Tab visits them in.
TEST_F(NativeFormWine, TabVisitsTheButtonsInTheirTabOrder) {
  HWND apply = Window("btnSave"), cancel = Window("btnClose"), ok = Window("btnSaveAndClose");
  EXPECT_EQ(GetNextDlgTabItem(host, apply, FALSE), cancel);
  EXPECT_EQ(GetNextDlgTabItem(host, cancel, FALSE), ok);
  EXPECT_EQ(GetNextDlgTabItem(host, Window("pgSelectedPage"), FALSE), apply);
  EXPECT_EQ(GetWindowLongA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

std::string Lower(std::string text) {
  CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// Confirms the folder browser as soon as it is shown, after noting that it appeared.
bool g_browserSeen = false;
void CALLBACK ConfirmBrowser(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM found) -> BOOL {
        char cls[16] = {};
        GetClassNameA(window, cls, sizeof cls);
        if (std::string(cls) != "#32770" || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  g_browserSeen = true;
  KillTimer(nullptr, timer);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

TEST(FolderBrowserWine, OpensWithTheGivenFolderSelected) {
  CoInitialize(nullptr);
  std::string start(MAX_PATH, '\0');
  start.resize(GetSystemDirectoryA(start.data(), MAX_PATH));
  win32::Win32Dialogs dialogs;
  SetTimer(nullptr, 0, 200, ConfirmBrowser);
  std::string chosen;
  const bool confirmed = dialogs.BrowseFolder("Выберите каталог...", start, chosen);
  ASSERT_TRUE(g_browserSeen);
  ASSERT_TRUE(confirmed);
  EXPECT_EQ(Lower(chosen), Lower(start)) << "confirmed at once, the folder given comes back";
  CoUninitialize();
}

}  // namespace
}  // namespace vlx
