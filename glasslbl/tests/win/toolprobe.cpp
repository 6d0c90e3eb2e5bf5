// Test helper for the separate tools under Wine. Prints UTF-8 lines on stdout.
//   toolprobe run [--desktop BKHEX] EXE [TAIL]
//     Starts EXE (TAIL appended to its command line as is) and waits up to 20 s while pumping
//     messages. With --desktop it first builds a stand-in shell desktop: a "ProgMan" window, its
//     child, and a SysListView32 below that whose text background is BKHEX. Reports every message
//     box of the started program ("box ...", then answers it with OK), every other window it shows
//     ("window ..."), its exit code ("exit=N"), and with --desktop the list view's colours after
//     the run ("found=yes|no text=X bk=X desktop=X", hex).
//   toolprobe icon EXE
//     Prints the PE subsystem ("subsystem=N") and the images of the MAINICON group
//     ("image WxH BPP").
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

// Control characters as C escapes, so that one report stays on one line.
std::string Escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out;
}

std::wstring TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(length + 1, L'\0');
  text.resize(GetWindowTextW(window, text.data(), length + 1));
  return text;
}

std::string ClassOf(HWND window) {
  char name[256];
  const int length = GetClassNameA(window, name, sizeof name);
  return std::string(name, length > 0 ? length : 0);
}

struct Box {
  std::string text, buttons;
  bool icon = false;
};

BOOL CALLBACK CollectBoxPart(HWND child, LPARAM data) {
  auto& box = *reinterpret_cast<Box*>(data);
  const std::string kind = ClassOf(child);
  if (lstrcmpiA(kind.c_str(), "Static") == 0) {
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      box.icon = box.icon || (IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0));
    else if (GetWindowTextLengthW(child) > 0)
      box.text += Utf8(TextOf(child));
  } else if (lstrcmpiA(kind.c_str(), "Button") == 0) {
    if (!box.buttons.empty()) box.buttons += ',';
    box.buttons += Utf8(TextOf(child));
  }
  return TRUE;
}

struct Watch {
  DWORD processId;
  std::set<HWND> seen;
};

BOOL CALLBACK ReportWindow(HWND window, LPARAM data) {
  auto& watch = *reinterpret_cast<Watch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != watch.processId || !IsWindowVisible(window) || watch.seen.count(window)) return TRUE;
  watch.seen.insert(window);
  const std::string title = Escaped(Utf8(TextOf(window)));
  if (ClassOf(window) == "#32770") {
    Box box;
    EnumChildWindows(window, CollectBoxPart, reinterpret_cast<LPARAM>(&box));
    std::printf("box title=%s text=%s buttons=%s icon=%s\n", title.c_str(),
                Escaped(box.text).c_str(), box.buttons.c_str(), box.icon ? "yes" : "no");
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  } else {
    std::printf("window class=%s title=%s\n", ClassOf(window).c_str(), title.c_str());
  }
  std::fflush(stdout);
  return TRUE;
}

// The stand-in shell desktop: ProgMan -> SHELLDLL_DefView -> SysListView32.
struct Desktop {
  HWND top = nullptr, view = nullptr, list = nullptr;
};

Desktop BuildDesktop(COLORREF background) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  for (const char* name : {"ProgMan", "SHELLDLL_DefView"}) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
  }
  Desktop desktop;
  desktop.top = CreateWindowExA(0, "ProgMan", "Program Manager", WS_POPUP, 0, 0,
                                320, 240, nullptr, nullptr, instance, nullptr);
  desktop.view = CreateWindowExA(0, "SHELLDLL_DefView", "", WS_CHILD | WS_VISIBLE, 0, 0, 320, 240,
                                 desktop.top, nullptr, instance, nullptr);
  desktop.list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_ICON, 0, 0, 320,
                                 240, desktop.view, nullptr, instance, nullptr);
  for (const char* caption : {"Мой компьютер", "Корзина"}) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = 1000;
    item.pszText = const_cast<char*>(caption);
    SendMessageA(desktop.list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(desktop.list, LVM_SETTEXTBKCOLOR, 0, background);
  return desktop;
}

int Run(int argc, char** argv) {
  int next = 2;
  bool withDesktop = false;
  COLORREF background = 0;
  if (next + 1 < argc && std::string(argv[next]) == "--desktop") {
    withDesktop = true;
    background = std::strtoul(argv[next + 1], nullptr, 16);
    next += 2;
  }
  if (next >= argc) return 2;
  const Desktop desktop = withDesktop ? BuildDesktop(background) : Desktop{};
  std::string line = std::string("\"") + argv[next] + "\"";
  if (next + 1 < argc) line += std::string(" ") + argv[next + 1];
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::printf("error=cannot start %s (%lu)\n", argv[next], GetLastError());
    return 1;
  }
  Watch watch{process.dwProcessId, {}};
  const DWORD deadline = GetTickCount() + 20000;
  bool finished = false;
  while (!finished && GetTickCount() < deadline) {
    const DWORD wait = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 50, QS_ALLINPUT);
    finished = wait == WAIT_OBJECT_0;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    EnumWindows(ReportWindow, reinterpret_cast<LPARAM>(&watch));
  }
  int status = 0;
  if (!finished) {
    std::printf("error=timeout\n");
    TerminateProcess(process.hProcess, 99);
    status = 1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  std::printf("exit=%lu\n", code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (withDesktop) {
    const HWND found = FindWindowA("ProgMan", nullptr);
    std::printf("found=%s text=%08lX bk=%08lX desktop=%08lX\n", found == desktop.top ? "yes" : "no",
                static_cast<unsigned long>(SendMessageA(desktop.list, LVM_GETTEXTCOLOR, 0, 0)),
                static_cast<unsigned long>(SendMessageA(desktop.list, LVM_GETTEXTBKCOLOR, 0, 0)),
                GetSysColor(COLOR_BACKGROUND));
    DestroyWindow(desktop.top);
  }
  return status;
}

struct Module {
  HMODULE handle;
  ~Module() {
    if (handle) FreeLibrary(handle);
  }
};

int Icon(const char* path) {
  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  if (bytes.size() < sizeof *dos || dos->e_magic != IMAGE_DOS_SIGNATURE ||
      bytes.size() < dos->e_lfanew + sizeof(IMAGE_NT_HEADERS))
    return 1;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(bytes.data() + dos->e_lfanew);
  std::printf("subsystem=%u\n", nt->OptionalHeader.Subsystem);

  const Module module{LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)};
  const HRSRC group = module.handle ? FindResourceA(module.handle, "MAINICON", RT_GROUP_ICON) : nullptr;
  if (!group) return 1;
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module.handle, group)));
  const DWORD size = SizeofResource(module.handle, group);
  if (!data || size < 6) return 1;
  const WORD count = data[4] | data[5] << 8;
  for (WORD i = 0; i < count && 6 + 14u * (i + 1) <= size; ++i) {
    const BYTE* entry = data + 6 + 14 * i;
    const WORD bits = entry[6] | entry[7] << 8;
    const WORD id = entry[12] | entry[13] << 8;
    const bool present = FindResourceA(module.handle, MAKEINTRESOURCEA(id), RT_ICON) != nullptr;
    std::printf("image %ux%u %u%s\n", entry[0] ? entry[0] : 256, entry[1] ? entry[1] : 256, bits,
                present ? "" : " missing");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "run") return Run(argc, argv);
  if (argc == 3 && std::string(argv[1]) == "icon") return Icon(argv[2]);
  std::fprintf(stderr, "usage: toolprobe run [--desktop BKHEX] EXE [TAIL] | icon EXE\n");
  return 2;
}
