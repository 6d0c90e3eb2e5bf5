#include "win32/win32_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "text/cp1251.h"

namespace vlx::win32 {

namespace {

// "Программы|*.exe|Все файлы|*.*" -> the zero-separated pairs OPENFILENAME wants.
std::string FilterPairs(const std::string& filter) {
  std::string pairs = filter;
  for (char& c : pairs)
    if (c == '|') c = '\0';
  pairs.push_back('\0');
  pairs.push_back('\0');
  return pairs;
}

struct PidlDeleter {
  void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};

// Once the folder browser exists it selects the folder passed as `data` (a path).
int CALLBACK SelectStartFolder(HWND dialog, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}

}  // namespace

int Win32Dialogs::ShowMessage(const std::string& title, const std::string& text,
                              std::uint32_t flags) {
  return MessageBoxA(owner_, text.c_str(), title.c_str(), flags);
}

bool Win32Dialogs::PickFile(const OpenFileRequest& request, std::string& path) {
  const std::string filter = FilterPairs(request.filter);
  std::vector<char> buffer(32768, '\0');
  request.fileName.copy(buffer.data(), buffer.size() - 1);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  ofn.lpstrInitialDir = request.initialDir.empty() ? nullptr : request.initialDir.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ENABLESIZING;
  if (!GetOpenFileNameA(&ofn)) return false;
  path = buffer.data();
  return true;
}

bool Win32Dialogs::PickColour(std::uint32_t& colour) {
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner_;
  cc.rgbResult = colour & 0x00FFFFFFu;
  cc.lpCustColors = customColours_;
  cc.Flags = CC_FULLOPEN | CC_RGBINIT;
  if (!ChooseColorA(&cc)) return false;
  colour = cc.rgbResult;
  return true;
}

bool Win32Dialogs::BrowseFolder(const std::string& title, const std::string& start,
                                std::string& path) {
  std::vector<char> display(MAX_PATH + 1, '\0');
  BROWSEINFOA info{};
  info.hwndOwner = owner_;
  info.pszDisplayName = display.data();
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = SelectStartFolder;
  info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
  std::unique_ptr<ITEMIDLIST, PidlDeleter> pidl(SHBrowseForFolderA(&info));
  if (!pidl) return false;
  std::vector<char> buffer(MAX_PATH + 1, '\0');
  if (!SHGetPathFromIDListA(pidl.get(), buffer.data())) return false;
  path = buffer.data();
  return true;
}

bool Win32Dialogs::PickIcon(std::string& file, int& index) {
  // shell32 ordinal 62 (PickIconDlg) takes a wide path on the NT family, an ANSI one on 9x.
  HMODULE shell = GetModuleHandleA("shell32.dll");
  if (!shell) shell = LoadLibraryA("shell32.dll");
  if (!shell) return false;
  const auto proc = GetProcAddress(shell, MAKEINTRESOURCEA(62));
  if (!proc) return false;
  constexpr UINT kChars = MAX_PATH;
  int chosen = index;
  if (GetVersion() < 0x80000000u) {
    using PickIconW = BOOL(WINAPI*)(HWND, WCHAR*, UINT, int*);
    std::u16string wide = Cp1251ToUtf16(file);
    wide.resize(kChars, u'\0');
    if (!reinterpret_cast<PickIconW>(reinterpret_cast<void*>(proc))(
            owner_, reinterpret_cast<WCHAR*>(wide.data()), kChars, &chosen))
      return false;
    wide.resize(wide.find(u'\0'));
    file = Utf16ToCp1251(wide);
  } else {
    using PickIconA = BOOL(WINAPI*)(HWND, char*, UINT, int*);
    std::string narrow = file;
    narrow.resize(kChars, '\0');
    if (!reinterpret_cast<PickIconA>(reinterpret_cast<void*>(proc))(owner_, narrow.data(), kChars,
                                                                    &chosen))
      return false;
    narrow.resize(narrow.find('\0'));
    file = narrow;
  }
  index = chosen;
  return true;
}

}  // namespace vlx::win32
