// The tool pages over the real API: the process and window lists, the uninstaller run, and a
// file in use registered for the next start. The other programs these need are this test
// program itself, started again with --vlx-tool-helper.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "app/context.h"
#include "app/main_form.h"
#include "store/reg_store.h"
#include "tools/process.h"
#include "tools/tool_pages.h"
#include "ui/user_action.h"
#include "unit/tool_fakes.h"
#include "win32/win32_platform.h"

namespace vlx {
namespace {

constexpr char kHelperFlag[] = "--vlx-tool-helper";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string SelfPath() {
  std::string path(MAX_PATH, '\0');
  path.resize(GetModuleFileNameA(nullptr, path.data(), MAX_PATH));
  return path;
}

std::string TempFolder() {
  std::string path(MAX_PATH, '\0');
  path.resize(GetTempPathA(MAX_PATH, path.data()));
  return path;
}

std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) {
    const int size = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide[i], -1, arg.data(), size, nullptr, nullptr);
    args.push_back(arg);
  }
  LocalFree(wide);
  return args;
}

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, w, l);
}

// The other programs of the tests:
//   sleep                  runs for a minute
//   window TITLE           a hidden titled window with a class icon; ends when it is closed
//   uninstall MARKER KEY   half a second later writes MARKER and deletes the uninstall entry KEY
//   hold PATH              keeps PATH open without sharing for a minute
int RunHelper(const std::vector<std::string>& args) {
  const std::string& mode = args.at(2);
  if (mode == "sleep") {
    Sleep(60000);
  } else if (mode == "window") {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ProbeWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512) /* IDI_APPLICATION */);
    windowClass.lpszClassName = "VolnerixProbeWindow";
    RegisterClassA(&windowClass);
    CreateWindowA("VolnerixProbeWindow", args.at(3).c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                  nullptr, nullptr, windowClass.hInstance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  } else if (mode == "uninstall") {
    Sleep(500);
    std::ofstream(args.at(3)) << "uninstalled";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + "\\" + args.at(4)).c_str());
  } else if (mode == "hold") {
    HANDLE file = CreateFileA(args.at(3).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    Sleep(60000);
    CloseHandle(file);
  }
  return 0;
}

// Started again as a helper, the program does the helper's work before tests could run.
const bool kIsHelper = [] {
  const auto args = Arguments();
  if (args.size() >= 3 && args[1] == kHelperFlag) ExitProcess(RunHelper(args));
  return false;
}();

// A helper process, ended when the test no longer needs it.
class Helper {
 public:
  explicit Helper(const std::string& arguments) {
    std::string command = std::string("\"") + SelfPath() + "\" " + kHelperFlag + " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info_))
      throw std::runtime_error("cannot start helper: " + command);
  }
  ~Helper() {
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 1);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;

  std::uint32_t Id() const { return info_.dwProcessId; }
  bool EndsWithin(DWORD ms) const { return WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }

 private:
  PROCESS_INFORMATION info_{};
};

template <class Condition>
bool WaitFor(Condition condition) {
  for (int i = 0; i < 100; ++i) {
    if (condition()) return true;
    Sleep(50);
  }
  return false;
}

std::string Lower(std::string text) {
  CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

class ToolPagesWine : public ::testing::Test {
 protected:
  ToolPagesWine() {
    platform.dialogs = &dialogs;
    BuildForms(ctx);
    BindToolPages(ctx);
  }
  int RowWith(const char* list, int column, const std::string& text) {
    const auto& view = ctx.Get<ui::ListView>(list);
    for (int row = 0; row < view.Count(); ++row)
      if (view.CellText(row, column) == text) return row;
    return -1;
  }
  std::string Status() { return ctx.Get("lbMessages").Text(); }

  win32::Win32Platform win;
  Platform platform = win.platform();
  testing::QueuedDialogs dialogs;
  Context ctx{platform, "C:\\"};
};

TEST_F(ToolPagesWine, AProcessIsListedAndTerminatedThroughThePage) {
  Helper child("sleep");
  LoadProcessList(ctx);
  const int row = RowWith("lvProcess", 1, process::FormatProcessId(child.Id()));
  ASSERT_NE(row, -1);
  const auto& list = ctx.Get<ui::ListView>("lvProcess");
  EXPECT_EQ(Lower(list.CellText(row, 0)), "vlx_wine_tests.exe");
  EXPECT_FALSE(list.Item(row).icon.Empty());
  ui::UserSelect(ctx.Get("lvProcess"), row);
  ui::UserClick(ctx.Get("nKillProcess"));
  EXPECT_EQ(Status(), "Процесс успешно завершен !");
  EXPECT_TRUE(child.EndsWithin(5000));
  EXPECT_EQ(RowWith("lvProcess", 1, process::FormatProcessId(child.Id())), -1);
}

TEST_F(ToolPagesWine, ATitledWindowIsListedAndClosedThroughThePage) {
  const std::string title = "Окно пробы Volnerix";
  Helper child("window \"" + title + "\"");
  ASSERT_TRUE(WaitFor([&] { return FindWindowA(nullptr, title.c_str()) != nullptr; }));
  LoadProcessList(ctx);
  LoadWindowList(ctx);
  const int row = RowWith("lvWindows", 0, title);
  ASSERT_NE(row, -1);
  const auto& list = ctx.Get<ui::ListView>("lvWindows");
  EXPECT_EQ(list.CellText(row, 2), process::FormatProcessId(child.Id()));
  EXPECT_EQ(Lower(list.CellText(row, 3)), "vlx_wine_tests.exe");
  ui::UserSelect(ctx.Get("tbSelectProcess"), 1);
  ui::UserSelect(ctx.Get("lvWindows"), row);
  ui::UserClick(ctx.Get("nCloseWindows"));
  EXPECT_EQ(Status(), "Окно успешно закрыто !");
  EXPECT_TRUE(child.EndsWithin(5000));
}

TEST_F(ToolPagesWine, TheUninstallerIsWaitedForAndTheListRebuiltAfterIt) {
  const std::string marker = TempFolder() + "vlx-uninstall-marker.txt";
  DeleteFileA(marker.c_str());
  const std::string subkey = "VolnerixWineProbe";
  {
    RegStore store(*platform.registry);
    store.SetRoot(regroot::LocalMachine);
    ASSERT_TRUE(store.OpenPath(std::string("\\") + kUninstallKey + "\\" + subkey, true));
    store.WriteText("DisplayName", "Проба Volnerix");
    store.WriteText("UninstallString", std::string("\"") + SelfPath() + "\" " + kHelperFlag +
                                           " uninstall \"" +
                                           marker + "\" " + subkey);
  }
  LoadUninstallList(ctx);
  auto& list = ctx.Get<ui::ListControl>("lstProgramms");
  ASSERT_NE(list.IndexOf("Проба Volnerix"), -1);
  ui::UserSelect(list, list.IndexOf("Проба Volnerix"));
  ui::UserClick(ctx.Get("nUninstall"));
  EXPECT_EQ(GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES, true);
  EXPECT_EQ(list.IndexOf("Проба Volnerix"), -1);  // listed again after the uninstaller ended
  EXPECT_TRUE(dialogs.shown.empty());
  DeleteFileA(marker.c_str());
  RegStore(*platform.registry).RemoveKeyTree(std::string("\\") + kUninstallKey + "\\" + subkey);
}

TEST_F(ToolPagesWine, AFileHeldWithoutSharingIsDeletedAtTheNextStart) {
  const std::string path = TempFolder() + "vlx-held.dll";
  std::ofstream(path) << "held";
  RegStore store(*platform.registry);
  store.SetRoot(regroot::LocalMachine);
  if (store.OpenPath(kRunOnceKey, false)) store.RemoveValue("(Delete: vlx-held.dll)");
  store.ClosePath();
  {
    Helper holder("hold \"" + path + "\"");
    ASSERT_TRUE(WaitFor([&] { return !platform.fileOps->OpenExclusive(path); }));
    ui::UserType(ctx.Get("edtSourceFile"), path);
    ui::UserCheck(ctx.Get("cbBackUpFile"), false);
    dialogs.answers = {idanswer::No};
    ui::UserClick(ctx.Get("btnKillFile"));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    const std::string question = "Вы действительно хотите удалить исходный файл\r\"" + path + "\" ?\r";
    EXPECT_EQ(dialogs.shown[0].text.substr(0, question.size()), question);
  }
  ASSERT_TRUE(store.OpenPath(kRunOnceKey, false));
  EXPECT_EQ(store.ReadText("(Delete: vlx-held.dll)"), "command.com /c del \"" + path + "\"");
  store.RemoveValue("(Delete: vlx-held.dll)");
  DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace vlx
