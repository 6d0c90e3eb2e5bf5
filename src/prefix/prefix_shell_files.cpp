#include "prefix/prefix_shell_files.h"

#include <exception>

#include "store/reg_store.h"

namespace vlx::prefix {
namespace {

Picture IconPicture(std::string origin, int size) {
  Picture picture;
  picture.kind = Picture::Kind::Icon;
  picture.origin = std::move(origin);
  picture.width = picture.height = size;
  return picture;
}

std::string Extension(const std::string& path) {
  const auto slash = path.find_last_of("\\/:");
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return path.substr(dot);
}

}  // namespace

PrefixShellFiles::PrefixShellFiles(Registry& registry, Files& files, Journal& journal)
    : registry_(registry), files_(files), journal_(journal) {}

Picture PrefixShellFiles::WinLogoIcon() { return IconPicture("IDI_WINLOGO", 64); }

std::string PrefixShellFiles::TypeIconOrigin(const std::string& path) {
  std::string origin;
  const std::string extension = Extension(path);
  if (!extension.empty()) {
    try {
      RegStore store(registry_);
      store.SetRoot(regroot::ClassesRoot);
      if (store.OpenPath("\\" + extension, false)) {
        const std::string typeName = store.ReadText("");
        if (!typeName.empty() && store.OpenPath("\\" + typeName + "\\DefaultIcon", false))
          origin = store.ReadText("");
      }
    } catch (const std::exception&) {
      origin.clear();  // a DefaultIcon of another type: the shell falls back as well
    }
  }
  if (const auto own = origin.find("%1"); own != std::string::npos)
    origin = path + ",0";
  return origin.empty() ? "shell32.dll,0" : origin;
}

Picture PrefixShellFiles::FileTypeIcon(const std::string& path, bool small) {
  return IconPicture(TypeIconOrigin(path), small ? 16 : 32);
}

Picture PrefixShellFiles::AssociatedIcon(const std::string& path) {
  if (!files_.Exists(path)) return {};
  return IconPicture(TypeIconOrigin(path), 32);
}

bool PrefixShellFiles::ShowProperties(WindowHandle, const std::string& path) {
  const bool exists = files_.Exists(path);
  journal_.Add(std::string("ShellExecuteEx properties: ") + path + (exists ? "" : " (failed)"));
  return exists;
}

std::intptr_t PrefixShellFiles::Execute(const std::string& verb, const std::string& file,
                                        const std::string& parameters,
                                        const std::string& directory, int) {
  const bool absolute = file.size() >= 2 && (file[1] == ':' || file.rfind("\\\\", 0) == 0);
  const std::string path =
      absolute || directory.empty() ? file : directory + (directory.back() == '\\' ? "" : "\\") + file;
  const bool exists = files_.Exists(path);
  journal_.Add("ShellExecute " + verb + ": " + path + (parameters.empty() ? "" : " " + parameters) +
               (exists ? "" : " (failed)"));
  return exists ? 42 : 2;
}

}  // namespace vlx::prefix
