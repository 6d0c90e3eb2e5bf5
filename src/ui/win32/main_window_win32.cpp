// volnrx.exe: the program's start-up over the real system and TfrmMain as a native window.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <windowsx.h>

#include <memory>
#include <string>
#include <vector>

#include "app/error_box.h"
#include "app/help_button.h"
#include "app/main_window.h"
#include "tools/changeform.h"
#include "tools/screendeath.h"
#include "ui/user_action.h"
#include "ui/win32/native_form.h"
#include "win32/win32_desktop.h"
#include "win32/win32_dialogs.h"
#include "win32/win32_module.h"
#include "win32/win32_platform.h"

namespace vlx::ui::win32 {

namespace {

constexpr char kMainClass[] = "TfrmMain";
constexpr int kClientWidth = 361;
constexpr int kClientHeight = 472;

struct MainWindow {
  Context* ctx = nullptr;
  NativeForm* native = nullptr;
  HWND window = nullptr;
  NativeForm* changeNative = nullptr;  // TfrmChange, shown and hidden, never destroyed early
  HWND changeWindow = nullptr;
  bool shown = false;  // the window was shown: from then on a closed model closes it
  bool contextHelp = false;  // context-help mode: the next click asks for a control's help
};

MainWindow g_main;  // the windows of the process, reached from their window procedures

SystemMetrics CurrentMetrics() {
  return {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME),
          GetSystemMetrics(SM_CXSIZE), GetSystemMetrics(SM_CYSIZE)};
}

// The point of a non-client message relative to the window's top-left corner.
POINT WindowRelative(HWND window, LPARAM lParam) {
  RECT rc;
  GetWindowRect(window, &rc);
  return {GET_X_LPARAM(lParam) - rc.left, GET_Y_LPARAM(lParam) - rc.top};
}

void DrawHelpButton(HWND window) {
  HelpButtonState& button = g_main.ctx->state.helpButton;
  RECT rc;
  GetWindowRect(window, &rc);
  PlaceHelpButton(button, rc.right - rc.left, CurrentMetrics());
  HDC dc = GetWindowDC(window);
  RECT face = {button.left, button.top, button.right, button.bottom};
  DrawFrameControl(dc, &face, DFC_CAPTION, DFCS_CAPTIONHELP | (button.pressed ? DFCS_PUSHED : 0));
  ReleaseDC(window, dc);
}

// An item of the fatal-error screen's colour boxes, as the page describes its drawing.
void PaintDeathScreenColour(HDC dc, int index, const std::string& text, const RECT& item) {
  const auto drawing = screendeath::DrawColourItem(
      index, text, {item.left, item.top, item.right - item.left, item.bottom - item.top});
  const RECT fill = {drawing.fill.left, drawing.fill.top, drawing.fill.left + drawing.fill.width,
                     drawing.fill.top + drawing.fill.height};
  FillRect(dc, &fill, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, drawing.textX, drawing.textY, drawing.text.c_str(),
           static_cast<int>(drawing.text.size()));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  HBRUSH brush = CreateSolidBrush(ToColorRef(drawing.swatchColour));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  Rectangle(dc, drawing.swatchLeft, drawing.swatchTop, drawing.swatchRight, drawing.swatchBottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

// After every event: a closed main window model closes the native window. (Each form's
// visibility reaches its window through its NativeForm.)
void CloseIfModelClosed() {
  if (!g_main.ctx || !g_main.shown) return;
  if (g_main.window && MainWindowClosed(*g_main.ctx)) {
    HWND window = g_main.window;
    g_main.window = nullptr;
    g_main.changeWindow = nullptr;  // owned by the main window: destroyed with it
    DestroyWindow(window);
  }
}

void RunUserAction(const std::function<void()>& action) {
  try {
    RunEvent(*g_main.ctx, action);
  } catch (const ActionRefused&) {
    // The native control let through what the model refuses (a disabled item): nothing happens.
  }
  CloseIfModelClosed();
}

// Context-help mode, as the window realises it itself (the same on every system): the pointer
// turns into the help pointer and the window keeps the mouse; a left click on a control sends
// the window WM_HELP for that control; any other button, a click elsewhere or the loss of the
// mouse ends the mode without help.
void EnterContextHelp(HWND window) {
  g_main.contextHelp = true;
  SetCapture(window);
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HELP)));
}

void LeaveContextHelp() {
  if (!g_main.contextHelp) return;
  g_main.contextHelp = false;
  if (GetCapture() == g_main.window) ReleaseCapture();
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

void ContextHelpClick(HWND window, LPARAM lParam) {
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(window, &pt);
  LeaveContextHelp();
  HWND item = WindowFromPoint(pt);
  if (!item || (item != window && !IsChild(window, item))) return;
  HELPINFO info{};
  info.cbSize = sizeof info;
  info.iContextType = HELPINFO_WINDOW;
  info.iCtrlId = GetDlgCtrlID(item);
  info.hItemHandle = item;
  info.dwContextId = GetWindowContextHelpId(item);
  info.MousePos = pt;
  SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT MainWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Context* ctx = g_main.ctx;
  if (ctx && ctx->state.instanceMessage != 0 && message == ctx->state.instanceMessage) {
    HandleInstanceMessage(*ctx, message);
    return 0;
  }
  if (g_main.contextHelp) {
    switch (message) {
      case WM_LBUTTONDOWN:
        ContextHelpClick(window, lParam);
        return 0;
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_CAPTURECHANGED:
        LeaveContextHelp();
        return 0;
      case WM_MOUSEMOVE:
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HELP)));
        return 0;
      default:
        break;
    }
  }
  if (g_main.native) {
    LRESULT result = 0;
    if (g_main.native->HandleMessage(message, wParam, lParam, result)) {
      CloseIfModelClosed();
      return result;
    }
  }
  switch (message) {
    case WM_NCPAINT:
    case WM_NCACTIVATE: {
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      if (ctx) DrawHelpButton(window);
      return result;
    }
    case WM_NCHITTEST: {
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      if (!ctx) return result;
      const POINT pt = WindowRelative(window, lParam);
      return HelpButtonHitTest(ctx->state.helpButton, pt.x, pt.y, static_cast<int>(result));
    }
    case WM_NCLBUTTONDOWN: {
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      if (!ctx) return result;
      DrawHelpButton(window);
      const POINT pt = WindowRelative(window, lParam);
      if (HelpButtonDown(ctx->state.helpButton, pt.x, pt.y)) DrawHelpButton(window);
      return result;
    }
    case WM_NCLBUTTONUP: {
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      if (!ctx) return result;
      const POINT pt = WindowRelative(window, lParam);
      if (HelpButtonUp(ctx->state.helpButton, pt.x, pt.y)) {
        DrawHelpButton(window);
        PostMessageA(window, wm::HelpButtonUp, 0, 0);
      }
      return result;
    }
    case wm::HelpButtonUp:
      SendMessageA(window, WM_SYSCOMMAND, SC_CONTEXTHELP, 100);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CONTEXTHELP) {
        EnterContextHelp(window);
        return 0;
      }
      break;
    case WM_LBUTTONUP: {
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      if (ctx && HelpButtonCancel(ctx->state.helpButton)) DrawHelpButton(window);
      return result;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // FormMouseDown: the bare background drags the window.
      ReleaseCapture();
      SendMessageA(window, WM_SYSCOMMAND, sc::DragMove, 0);
      return 0;
    case WM_SIZE: {
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOINTERNALPAINT);
      return result;
    }
    case WM_HELP: {
      const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
      if (!ctx || !g_main.native || info->iContextType != HELPINFO_WINDOW) return TRUE;
      HWND item = static_cast<HWND>(info->hItemHandle);
      Control* control = g_main.native->ControlOf(item);
      // A part of a control (a spin edit's arrows, a combo box's edit) stands for the control.
      while (!control && item && item != window) {
        item = GetParent(item);
        control = g_main.native->ControlOf(item);
      }
      if (!control) return TRUE;
      RECT rc;
      GetWindowRect(g_main.native->WindowOf(*control), &rc);
      ShowContextHelp(*ctx, *control, rc.left, rc.top);
      return TRUE;
    }
    case WM_CLOSE:
      if (ctx) {
        RunUserAction([ctx] { CloseMainWindow(*ctx); });
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// No C++ exception may unwind through the system's frames that called a window procedure: an
// error escaping a handler is shown in the program's error box instead.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return MainWindowMessage(window, message, wParam, lParam);
  } catch (const std::exception& error) {
    if (g_main.ctx) ShowErrorBox(*g_main.ctx, error);
    return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK ChangeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_main.changeNative) {
    LRESULT result = 0;
    if (g_main.changeNative->HandleMessage(message, wParam, lParam, result)) {
      CloseIfModelClosed();
      return result;
    }
  }
  if (message == WM_CLOSE && g_main.ctx) {
    Context* ctx = g_main.ctx;
    RunUserAction([ctx] { HideChangeForm(*ctx); });
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateFormWindow(HINSTANCE instance, const char* cls, const std::string& caption,
                      int clientWidth, int clientHeight, HWND owner, DWORD style) {
  const DWORD exStyle = WS_EX_CONTROLPARENT;
  RECT rc = {0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&rc, style, FALSE, exStyle);
  const int width = rc.right - rc.left, height = rc.bottom - rc.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return CreateWindowExA(exStyle, cls, caption.c_str(), style, x, y, width, height, owner,
                         nullptr, instance, nullptr);
}

HWND CreateMainWindow(HINSTANCE instance, const std::string& caption) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = MainWindowProc;
  cls.hInstance = instance;
  cls.hIcon = LoadIconA(instance, "MAINICON");
  cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = kMainClass;
  RegisterClassA(&cls);
  // Fixed single border; a minimise box makes the maximise box appear disabled.
  return CreateFormWindow(instance, kMainClass, caption, kClientWidth, kClientHeight, nullptr,
                          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                              WS_CLIPCHILDREN);
}

HWND CreateChangeWindow(HINSTANCE instance, Context& ctx, HWND owner) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = ChangeWindowProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = "TfrmChange";
  RegisterClassA(&cls);
  const int width = ctx.frmChange.ClientWidth() > 0 ? ctx.frmChange.ClientWidth() : 360;
  const int height = ctx.frmChange.ClientHeight() > 0 ? ctx.frmChange.ClientHeight() : 160;
  return CreateFormWindow(instance, "TfrmChange", ctx.frmChange.Text(), width, height, owner,
                          WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN);
}

// Whether a volnrx-cli run that changes the system holds its mark (it is taken before the
// program's instance mutex and kept until that run ends).
bool CliRunHolds() {
  struct Close {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
  };
  SetLastError(ERROR_SUCCESS);
  const std::unique_ptr<void, Close> mark(CreateMutexA(nullptr, FALSE, kCliRunName));
  return mark && GetLastError() == ERROR_ALREADY_EXISTS;
}

constexpr const char* kCliRunningText =
    "Программа \"Volnerix\" уже запущена: volnrx-cli изменяет настройки системы.\r\r"
    "Запустите программу снова, когда volnrx-cli закончит работу.";

}  // namespace

int RunProgram(HINSTANCE instance, int show) {
  // Only classes comctl32 4.72 (Windows 98) knows; the standard controls are user32's there.
  INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX),
                           ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                               ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&icc);
  CoInitialize(nullptr);

  auto system = std::make_unique<vlx::win32::Win32Platform>();
  vlx::win32::Win32Desktop desktop;
  vlx::win32::Win32Dialogs dialogs;
  Platform& platform = system->platform();
  platform.desktop = &desktop;
  platform.dialogs = &dialogs;

  const std::string module = vlx::win32::ProgramModulePath();
  Context ctx(platform, vlx::win32::FolderOf(module));
  ctx.state.moduleFile = module;
  if (!StartProgram(ctx)) {  // another copy runs and was brought to the front
    if (CliRunHolds()) {       // ... or volnrx-cli is changing the system: say so
      MessageBoxA(nullptr, kCliRunningText, "Volnerix", MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
    }
    return 0;
  }
  g_main.ctx = &ctx;

  NativeForm::RegisterClasses(instance);
  HWND window = CreateMainWindow(instance, ctx.frmMain.Text().empty() ? "Volnerix"
                                                                        : ctx.frmMain.Text());
  if (!window) return 1;
  g_main.window = window;
  ctx.state.mainWindow = reinterpret_cast<WindowHandle>(window);
  desktop.SetMainWindow(window);
  dialogs.SetOwner(window);
  NativeForm native(ctx.frmMain, window, RunUserAction);
  g_main.native = &native;
  native.Realize();
  native.SetItemPainter("cbBackgraundColor", PaintDeathScreenColour);
  native.SetItemPainter("cbTextColor", PaintDeathScreenColour);
  HWND change = CreateChangeWindow(instance, ctx, window);
  NativeForm changeNative(ctx.frmChange, change, RunUserAction);
  g_main.changeWindow = change;
  g_main.changeNative = &changeNative;
  changeNative.Realize();

  ShowWindow(window, show);
  UpdateWindow(window);
  g_main.shown = true;
  ShowMainWindow(ctx);  // load-all, then the first activation's library checks
  CloseIfModelClosed();
  if (IsWindow(window)) native.FocusFirstControl();

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (g_main.contextHelp && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      LeaveContextHelp();
      continue;
    }
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
      // Enter and Escape go to the focused control's key handler before dialog navigation.
      Control* control = native.ControlOf(msg.hwnd);
      if (!control) control = changeNative.ControlOf(msg.hwnd);
      if (control && control->onKeyPress) {
        const char key = msg.wParam == VK_RETURN ? 13 : 27;
        RunUserAction([control, key] { UserKey(*control, key); });
        continue;
      }
    }
    if (native.StepPagesByKey(msg)) continue;
    if (native.TranslateDialogKey(msg) || changeNative.TranslateDialogKey(msg)) continue;
    if (IsWindow(window) && IsDialogMessageA(window, &msg)) continue;
    if (IsWindow(change) && IsDialogMessageA(change, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  g_main.native = nullptr;
  g_main.window = nullptr;
  g_main.changeNative = nullptr;
  g_main.changeWindow = nullptr;
  g_main.ctx = nullptr;
  CoUninitialize();
  return 0;
}

}  // namespace vlx::ui::win32

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  return vlx::ui::win32::RunProgram(instance, show);
}
