// Looks into the running volnrx.exe for the GUI test: where a tab or button is on the screen,
// which page is shown, which message box is open. Prints UTF-8; exit 1 when nothing is found.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <shellapi.h>

namespace {

HWND MainWindow() { return FindWindowA("TfrmMain", nullptr); }

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(std::strlen(out.c_str()));
  return out;
}

// WM_GETTEXT itself: GetWindowText does not ask a window of another process for its text.
std::string TextOf(HWND window) {
  std::vector<wchar_t> buffer(8192, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, buffer.size() - 1, reinterpret_cast<LPARAM>(buffer.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  return Utf8(buffer.data());
}

struct Search {
  const char* cls;
  std::string text;  // UTF-8, empty: any
  HWND found = nullptr;
};

BOOL CALLBACK FindChild(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (_stricmp(cls, search->cls) == 0 && (search->text.empty() || TextOf(window) == search->text) &&
      IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND Child(HWND parent, const char* cls, const std::string& text = {}) {
  Search search{cls, text};
  EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND MessageBoxWindow() {
  HWND box = nullptr;
  while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr)
    if (IsWindowVisible(box)) return box;
  return nullptr;
}

// A common-control message that fills a RECT: the RECT must live in the control's process.
bool RemoteRect(HWND window, UINT message, WPARAM wParam, RECT& rc) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof rc, MEM_COMMIT, PAGE_READWRITE);
  bool ok = false;
  if (remote) {
    ok = SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(remote)) != 0 &&
         ReadProcessMemory(process, remote, &rc, sizeof rc, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return ok;
}

int PrintCentre(HWND window, const RECT& rc) {
  POINT centre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  ClientToScreen(window, &centre);
  std::printf("%ld %ld\n", centre.x, centre.y);
  return 0;
}

// Frames drawn around other controls (bevels) enclose them by design.
bool IsFrame(HWND window) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (_stricmp(cls, "Static") != 0) return false;
  const LONG type = GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK;
  return type == SS_ETCHEDFRAME || type == SS_ETCHEDHORZ || type == SS_ETCHEDVERT;
}

struct OverlapCount {
  int* count;
};

// Visible sibling controls whose rectangles intersect (containers and their frames aside).
BOOL CALLBACK CountOverlaps(HWND a, LPARAM p) {
      auto* c = reinterpret_cast<OverlapCount*>(p);
      if (!IsWindowVisible(a) || IsFrame(a)) return TRUE;
      char cls[64] = {};
      GetClassNameA(a, cls, sizeof cls);
      if (!_stricmp(cls, "VlxContainer") || !_stricmp(cls, WC_TABCONTROLA) ||
          !_stricmp(cls, "VlxImage") || !_stricmp(cls, "msctls_updown32"))
        return TRUE;
      RECT ra;
      GetWindowRect(a, &ra);
      for (HWND b = GetWindow(a, GW_HWNDNEXT); b; b = GetWindow(b, GW_HWNDNEXT)) {
        if (!IsWindowVisible(b) || IsFrame(b)) continue;
        char bcls[64] = {};
        GetClassNameA(b, bcls, sizeof bcls);
        if (!_stricmp(bcls, "VlxContainer") || !_stricmp(bcls, "VlxImage") ||
            !_stricmp(bcls, "msctls_updown32"))
          continue;
        RECT rb, both;
        GetWindowRect(b, &rb);
        // Controls placed side by side may share their edge line (an edit and its button).
        if (IntersectRect(&both, &ra, &rb) && both.right - both.left > 1 &&
            both.bottom - both.top > 1) {
          wchar_t ta[256] = {}, tb[256] = {};
          GetWindowTextW(a, ta, 256);
          GetWindowTextW(b, tb, 256);
          char ca[64] = {}, cb[64] = {};
          GetClassNameA(a, ca, sizeof ca);
          GetClassNameA(b, cb, sizeof cb);
          std::printf("overlap: %s \"%s\" | %s \"%s\"\n", ca, Utf8(ta).c_str(), cb, Utf8(tb).c_str());
          ++*c->count;
        }
      }
      return TRUE;
}

struct TitleSearch {
  const std::string* text;
  HWND found;
};

BOOL CALLBACK FindTitled(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TitleSearch*>(param);
  if (!IsWindowVisible(window) || TextOf(window) != *search->text) return TRUE;
  search->found = window;
  return FALSE;
}

// The visible window with this text among the main window's descendants.
HWND Titled(HWND main, const std::string& text) {
  TitleSearch search{&text, nullptr};
  EnumChildWindows(main, FindTitled, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Prints a top-level window that does not answer within a second.
BOOL CALLBACK PrintHung(HWND window, LPARAM) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result)) {
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    std::printf("%s %s pid %lu\n", cls, TextOf(window).c_str(), pid);
  }
  return TRUE;
}

// Stands in for the help system: the window WinHelp sends its requests to (WM_COPYDATA with the
// command, its number and the help file). Prints "command number file" for each request until
// a popup request arrives or `seconds` pass.
#pragma pack(push, 1)
struct HelpRequest {
  WORD size;
  WORD command;
  LONG data;
  LONG reserved;
  WORD ofsFilename;
  WORD ofsData;
};
#pragma pack(pop)

bool g_popupShown = false;

LRESULT CALLBACK HelpServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (copy && copy->lpData && copy->cbData >= sizeof(HelpRequest)) {
      const auto* request = static_cast<const HelpRequest*>(copy->lpData);
      std::string file;
      if (request->ofsFilename && request->ofsFilename < copy->cbData)
        file.assign(static_cast<const char*>(copy->lpData) + request->ofsFilename,
                    strnlen(static_cast<const char*>(copy->lpData) + request->ofsFilename,
                            copy->cbData - request->ofsFilename));
      std::printf("%u %ld %s\n", request->command, static_cast<long>(request->data), file.c_str());
      std::fflush(stdout);
      if (request->command == HELP_CONTEXTPOPUP) g_popupShown = true;
    }
    return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int HelpServer(int seconds) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = HelpServerProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "MS_WINHELP";
  if (!RegisterClassA(&cls)) return 1;
  HWND window = CreateWindowExA(0, "MS_WINHELP", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                cls.hInstance, nullptr);
  if (!window) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  MSG msg;
  while (!g_popupShown && GetTickCount() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  DestroyWindow(window);
  return g_popupShown ? 0 : 1;
}

// A topmost window of one colour at (x, y), size w x h, shown for `seconds`.
int Paint(COLORREF colour, int x, int y, int w, int h, int seconds) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = DefWindowProcA;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.hbrBackground = CreateSolidBrush(colour);
  cls.lpszClassName = "VlxProbePaint";
  if (!RegisterClassA(&cls)) return 1;
  HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, cls.lpszClassName, "", WS_POPUP,
                                x, y, w, h, nullptr, nullptr, cls.hInstance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  std::printf("ready\n");
  std::fflush(stdout);
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  MSG msg;
  while (GetTickCount() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  DestroyWindow(window);
  return 0;
}

// Visible controls that reach beyond their parent's client area, where they are cut off.
BOOL CALLBACK CountCut(HWND window, LPARAM param) {
  if (!IsWindowVisible(window)) return TRUE;
  HWND parent = GetParent(window);
  char cls[64] = {};
  GetClassNameA(parent, cls, sizeof cls);
  if (_stricmp(cls, "VlxContainer") != 0) return TRUE;
  RECT mine, room, both;
  GetWindowRect(window, &mine);
  GetClientRect(parent, &room);
  MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&room), 2);
  IntersectRect(&both, &mine, &room);
  if (EqualRect(&both, &mine)) return TRUE;
  GetClassNameA(window, cls, sizeof cls);
  std::printf("cut: %s \"%s\" (%ld,%ld)-(%ld,%ld) in (%ld,%ld)-(%ld,%ld)\n", cls,
              TextOf(window).c_str(), mine.left, mine.top, mine.right, mine.bottom, room.left,
              room.top, room.right, room.bottom);
  ++*reinterpret_cast<int*>(param);
  return TRUE;
}

// Visible sliders, one line each in window order: their number of ticks and their page size.
BOOL CALLBACK PrintSlider(HWND window, LPARAM) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (!IsWindowVisible(window) || _stricmp(cls, TRACKBAR_CLASSA) != 0) return TRUE;
  std::printf("%ld %ld\n", static_cast<long>(SendMessageA(window, TBM_GETNUMTICS, 0, 0)),
              static_cast<long>(SendMessageA(window, TBM_GETPAGESIZE, 0, 0)));
  return TRUE;
}

}  // namespace

int main() {
  // Arguments as UTF-8, whatever the ANSI code page.
  int argc = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(Utf8(wide[i]));
  LocalFree(wide);
  std::vector<const char*> pointers;
  for (const auto& a : args) pointers.push_back(a.c_str());
  const char* const* argv = pointers.data();
  if (argc < 2) return 2;
  const std::string command = argv[1];
  if (command == "msgbox" || command == "press-ok") {
    HWND box = MessageBoxWindow();
    if (!box) return 1;
    if (command == "press-ok") {
      HWND ok = GetDlgItem(box, IDOK);
      if (!ok) ok = GetDlgItem(box, IDCANCEL);
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ok), BN_CLICKED),
                   reinterpret_cast<LPARAM>(ok));
      return 0;
    }
    HWND text = GetDlgItem(box, 0xFFFF);  // the message box's text
    std::string body = text ? TextOf(text) : "";
    std::string escaped;
    for (char c : body) escaped += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    std::printf("%s | %s\n", TextOf(box).c_str(), escaped.c_str());
    return 0;
  }
  if (command == "measure" && argc > 2) {  // width of a text in Tahoma 8 pt, and the face used
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, "Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    std::wstring text(argv[2], argv[2] + std::strlen(argv[2]));
    int n = MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, nullptr, 0);
    text.resize(static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, text.data(), n);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), n - 1, &size);
    wchar_t face[64] = {};
    GetTextFaceW(dc, 64, face);
    std::printf("%ld %s\n", size.cx, Utf8(face).c_str());
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return 0;
  }
  if (command == "hung") {  // top-level windows that do not answer
    EnumWindows(PrintHung, 0);
    return 0;
  }
  if (command == "help-server") return HelpServer(argc > 2 ? std::atoi(argv[2]) : 30);
  if (command == "paint" && argc > 8)
    return Paint(RGB(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4])),
                 std::atoi(argv[5]), std::atoi(argv[6]), std::atoi(argv[7]), std::atoi(argv[8]),
                 argc > 9 ? std::atoi(argv[9]) : 30);
  HWND main = MainWindow();
  if (!main) return 1;
  if (command == "help-button") {
    // The "?" caption button's centre, placed as the window places it.
    RECT rc;
    GetWindowRect(main, &rc);
    const int left = rc.right - rc.left - GetSystemMetrics(SM_CXFRAME) -
                     4 * GetSystemMetrics(SM_CXSIZE) + 2;
    const int top = GetSystemMetrics(SM_CYFRAME) + 1;
    std::printf("%ld %ld\n", rc.left + left + (GetSystemMetrics(SM_CXSIZE) - 1) / 2,
                rc.top + top + (GetSystemMetrics(SM_CYSIZE) - 4) / 2);
    return 0;
  }
  if (command == "at" && argc > 2) {  // the centre of the visible control with this text
    HWND window = Titled(main, argv[2]);
    if (!window) return 1;
    RECT rc;
    GetClientRect(window, &rc);
    return PrintCentre(window, rc);
  }
  if (command == "checked" && argc > 2) {  // check box state: 0 or 1
    HWND window = Titled(main, argv[2]);
    if (!window) return 1;
    std::printf("%d\n", static_cast<int>(SendMessageA(window, BM_GETCHECK, 0, 0)));
    return 0;
  }
  if (command == "next-text" && argc > 2) {  // the text of the control made after this one
    HWND window = Titled(main, argv[2]);
    HWND next = window ? GetWindow(window, GW_HWNDNEXT) : nullptr;
    if (!next) return 1;
    std::printf("%s\n", TextOf(next).c_str());
    return 0;
  }
  if (command == "next-pixel" && argc > 4) {  // "R G B" at (x, y) of the control made after this one
    HWND window = Titled(main, argv[2]);
    HWND next = window ? GetWindow(window, GW_HWNDNEXT) : nullptr;
    if (!next) return 1;
    POINT pt = {std::atoi(argv[3]), std::atoi(argv[4])};
    ClientToScreen(next, &pt);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, pt.x, pt.y);
    ReleaseDC(nullptr, screen);
    std::printf("%d %d %d\n", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return 0;
  }
  if (command == "children" && argc > 2) {  // the texts inside the visible container with this text
    HWND window = Titled(main, argv[2]);
    if (!window) return 1;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (IsWindowVisible(child)) std::printf("%s\n", TextOf(child).c_str());
    return 0;
  }
  if (command == "image") {  // the centre of the shown page's first picture
    HWND image = Child(main, "VlxImage");
    if (!image) return 1;
    RECT rc;
    GetClientRect(image, &rc);
    return PrintCentre(image, rc);
  }
  HWND tabs = FindWindowExA(main, nullptr, WC_TABCONTROLA, nullptr);  // the page control
  if (command == "tab" && argc > 2 && tabs) {
    RECT rc{};
    if (!RemoteRect(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(std::atoi(argv[2])), rc)) return 1;
    return PrintCentre(tabs, rc);
  }
  if (command == "cursel" && tabs) {
    std::printf("%d\n", static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0)));
    return 0;
  }
  if (command == "button" && argc > 2) {
    HWND button = Child(main, "Button", argv[2]);
    if (!button) return 1;
    RECT rc;
    GetClientRect(button, &rc);
    return PrintCentre(button, rc);
  }
  if (command == "foreground") {
    std::printf("%d\n", GetForegroundWindow() == main ? 1 : 0);
    return 0;
  }
  if (command == "minimize") {
    ShowWindow(main, SW_MINIMIZE);
    return 0;
  }
  if (command == "iconic") {
    std::printf("%d\n", IsIconic(main) ? 1 : 0);
    return 0;
  }
  if (command == "cut") {
    int cut = 0;
    EnumChildWindows(main, CountCut, reinterpret_cast<LPARAM>(&cut));
    std::printf("%d\n", cut);
    return 0;
  }
  if (command == "sliders") {
    EnumChildWindows(main, PrintSlider, 0);
    return 0;
  }
  if (command == "focus") {  // the focused control: its text, or its class in brackets
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) || !info.hwndFocus)
      return 1;
    const std::string text = TextOf(info.hwndFocus);
    char cls[64] = {};
    GetClassNameA(info.hwndFocus, cls, sizeof cls);
    std::printf("%s\n", text.empty() ? ("[" + std::string(cls) + "]").c_str() : text.c_str());
    return 0;
  }
  if (command == "label-pixels" && argc > 2) {  // a checksum of what a check box shows right of its box
    HWND window = Titled(main, argv[2]);
    if (!window) return 1;
    RECT rc;
    GetWindowRect(window, &rc);
    const int width = rc.right - rc.left - 20, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return 1;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rc.left + 20, rc.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<unsigned> pixels(static_cast<std::size_t>(width) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    unsigned hash = 2166136261u;
    for (unsigned pixel : pixels) hash = (hash ^ (pixel & 0xFFFFFFu)) * 16777619u;
    std::printf("%08x\n", hash);
    return 0;
  }
  if (command == "default") {  // the text of the push button drawn as the default one
    HWND found = nullptr;
    EnumChildWindows(
        main,
        [](HWND window, LPARAM param) -> BOOL {
          char cls[64] = {};
          GetClassNameA(window, cls, sizeof cls);
          if (_stricmp(cls, "Button") != 0 || !IsWindowVisible(window) ||
              (GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK) != BS_DEFPUSHBUTTON)
            return TRUE;
          *reinterpret_cast<HWND*>(param) = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (!found) return 1;
    std::printf("%s\n", TextOf(found).c_str());
    return 0;
  }
  if (command == "overlaps") {
    int overlaps = 0;
    OverlapCount ctx{&overlaps};
    EnumChildWindows(main, CountOverlaps, reinterpret_cast<LPARAM>(&ctx));
    std::printf("%d\n", overlaps);
    return 0;
  }
  return 2;
}
