#include "win32/win32_shell_files.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

namespace vlx::win32 {
namespace {

// An icon the picture owns: destroyed with the last copy of the picture.
Picture OwnedIcon(HICON icon, const std::string& origin, int size) {
  if (icon == nullptr) return {};
  Picture picture;
  picture.kind = Picture::Kind::Icon;
  picture.origin = origin;
  picture.width = picture.height = size;
  picture.native = std::shared_ptr<void>(icon, [](void* h) { DestroyIcon(static_cast<HICON>(h)); });
  return picture;
}

}  // namespace

Picture Win32ShellFiles::WinLogoIcon() {
  HANDLE icon = LoadImageA(nullptr, MAKEINTRESOURCEA(32517) /* IDI_WINLOGO */, IMAGE_ICON, 64, 64,
                           LR_SHARED);
  if (icon == nullptr) return {};
  Picture picture;
  picture.kind = Picture::Kind::Icon;
  picture.origin = "IDI_WINLOGO";
  picture.width = picture.height = 64;
  picture.native = std::shared_ptr<void>(icon, [](void*) {});  // shared: never destroyed
  return picture;
}

Picture Win32ShellFiles::FileTypeIcon(const std::string& path, bool small) {
  SHFILEINFOA info{};
  UINT flags = SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | (small ? SHGFI_SMALLICON : 0);
  if (!SHGetFileInfoA(path.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info, flags)) return {};
  return OwnedIcon(info.hIcon, path, GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON));
}

Picture Win32ShellFiles::AssociatedIcon(const std::string& path) {
  // ExtractAssociatedIconA may write the path of the icon's file into its buffer.
  std::vector<char> buffer(std::max<std::size_t>(MAX_PATH, path.size() + 1), '\0');
  std::copy(path.begin(), path.end(), buffer.begin());
  WORD index = 0;
  HICON icon = ExtractAssociatedIconA(GetModuleHandleA(nullptr), buffer.data(), &index);
  return OwnedIcon(icon, path, GetSystemMetrics(SM_CXICON));
}

bool Win32ShellFiles::ShowProperties(WindowHandle owner, const std::string& path) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = reinterpret_cast<HWND>(owner);
  info.lpVerb = "properties";
  info.lpFile = path.c_str();
  info.nShow = SW_SHOW;
  return ShellExecuteExA(&info) != FALSE;
}

std::intptr_t Win32ShellFiles::Execute(const std::string& verb, const std::string& file,
                                       const std::string& parameters,
                                       const std::string& directory, int show) {
  const HINSTANCE result =
      ShellExecuteA(nullptr, verb.c_str(), file.c_str(),
                    parameters.empty() ? nullptr : parameters.c_str(),
                    directory.empty() ? nullptr : directory.c_str(), show);
  return reinterpret_cast<std::intptr_t>(result);
}

}  // namespace vlx::win32
