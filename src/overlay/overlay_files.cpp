#include "overlay/overlay_files.h"

#include "prefix/profile_engine.h"
#include "text/cp1251.h"

namespace vlx::overlay {

namespace {

constexpr std::uint32_t kKeptAttributes =
    fileattr::ReadOnly | fileattr::Hidden | fileattr::System | fileattr::Archive;

std::string AttributeText(std::uint32_t a) {
  std::string text;
  text += a & fileattr::ReadOnly ? 'R' : '-';
  text += a & fileattr::Hidden ? 'H' : '-';
  text += a & fileattr::System ? 'S' : '-';
  text += a & fileattr::Archive ? 'A' : '-';
  return text;
}

std::string ParentOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return {};
  // "C:\name" lives in "C:\".
  return cut == 2 && path[1] == ':' ? path.substr(0, 3) : path.substr(0, cut);
}

std::string NameOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::optional<std::string> Copied(const char* text) {
  return text ? std::optional<std::string>(text) : std::nullopt;
}
const char* Raw(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

}  // namespace

std::string OverlayFiles::Id(const std::string& path) {
  std::string id;
  for (char c : path) id += c == '/' ? '\\' : static_cast<char>(Cp1251ToLower(static_cast<unsigned char>(c)));
  while (id.size() > 3 && id.back() == '\\') id.pop_back();
  return id;
}

OverlayFiles::Pending* OverlayFiles::Find(const std::string& path) {
  const auto it = pending_.find(Id(path));
  return it == pending_.end() ? nullptr : &it->second;
}

OverlayFiles::Pending& OverlayFiles::Take(const std::string& path) {
  if (Pending* p = Find(path)) return *p;
  const std::string id = Id(path);
  Pending p;
  p.path = path;
  p.state = Current(path);
  order_.push_back(id);
  return pending_.emplace(id, std::move(p)).first->second;
}

FileState OverlayFiles::Current(const std::string& path) {
  if (const Pending* p = Find(path)) return p->state;
  FileState state;
  const std::uint32_t attributes = base_.files.GetAttributes(path);
  state.exists = attributes != fileattr::Invalid;
  state.directory = state.exists && (attributes & fileattr::Directory);
  state.attributes = state.exists ? attributes & (kKeptAttributes | fileattr::Directory) : 0;
  return state;
}

bool OverlayFiles::ReadCurrent(const std::string& path, std::string& bytes) {
  if (const Pending* p = Find(path)) {
    if (!p->state.exists || p->state.directory) return false;
    if (p->contentKnown) {
      bytes = *p->state.bytes;
      return true;
    }
  }
  return base_.textFiles.ReadWholeFile(path, bytes);
}

bool OverlayFiles::ParentIsFolder(const std::string& path) {
  const std::string parent = ParentOf(path);
  if (parent.empty()) return false;
  const FileState state = Current(parent);
  return state.exists && state.directory;
}

bool OverlayFiles::Store(const std::string& path, std::string_view bytes, bool keepAttributes,
                         std::uint32_t newAttributes) {
  if (!ParentIsFolder(path)) return false;
  const FileState now = Current(path);
  if (now.exists && (now.directory || (now.attributes & fileattr::ReadOnly))) return false;
  Pending& p = Take(path);
  p.state.exists = true;
  p.state.directory = false;
  p.state.attributes = now.exists && keepAttributes ? now.attributes : newAttributes;
  p.state.bytes = std::string(bytes);
  p.contentKnown = true;
  return true;
}

void OverlayFiles::Record(std::string text, std::function<bool(FilePorts&)> redo) {
  log_.push_back({std::move(text), std::move(redo)});
}

std::vector<std::string> OverlayFiles::Touched() const {
  std::vector<std::string> paths;
  for (const std::string& id : order_) paths.push_back(pending_.at(id).path);
  return paths;
}

FileState OverlayFiles::Before(const std::string& path) {
  FileState state;
  const std::uint32_t attributes = base_.files.GetAttributes(path);
  state.exists = attributes != fileattr::Invalid;
  state.directory = state.exists && (attributes & fileattr::Directory);
  state.attributes = state.exists ? attributes & kKeptAttributes : 0;
  std::string bytes;
  if (state.exists && !state.directory && base_.textFiles.ReadWholeFile(path, bytes)) state.bytes = bytes;
  return state;
}

FileState OverlayFiles::After(const std::string& path) {
  FileState state = Current(path);
  state.attributes &= kKeptAttributes;
  state.bytes.reset();
  std::string bytes;
  if (state.exists && !state.directory && ReadCurrent(path, bytes)) state.bytes = bytes;
  return state;
}

std::uint32_t OverlayFiles::GetAttributes(const std::string& path) {
  if (!Find(path)) return base_.files.GetAttributes(path);
  const FileState state = Current(path);
  if (!state.exists) return fileattr::Invalid;
  const std::uint32_t attributes = state.attributes | (state.directory ? fileattr::Directory : 0);
  return attributes ? attributes : fileattr::Normal;
}

bool OverlayFiles::SetAttributes(const std::string& path, std::uint32_t attributes) {
  const FileState now = Current(path);
  if (!now.exists) return false;
  const std::uint32_t kept = attributes & kKeptAttributes;
  Take(path).state.attributes = kept | (now.directory ? fileattr::Directory : 0);
  if ((now.attributes & kKeptAttributes) != kept)
    Record("attributes " + path + " " + AttributeText(now.attributes) + " -> " + AttributeText(kept),
           [path, attributes](FilePorts& b) { return b.files.SetAttributes(path, attributes); });
  return true;
}

bool OverlayFiles::Exists(const std::string& path) { return Current(path).exists; }

bool OverlayFiles::WriteWholeFile(const std::string& path, std::string_view bytes) {
  if (!Store(path, bytes, true, fileattr::Archive)) return false;
  Record("write " + path + " (" + std::to_string(bytes.size()) + " bytes)",
         [path, content = std::string(bytes)](FilePorts& b) { return b.files.WriteWholeFile(path, content); });
  return true;
}

bool OverlayFiles::ReplaceWholeFile(const std::string& path, std::string_view bytes) {
  if (!Store(path, bytes, true, fileattr::Archive)) return false;
  Record("write " + path + " (" + std::to_string(bytes.size()) + " bytes)",
         [path, content = std::string(bytes)](FilePorts& b) { return b.textFiles.ReplaceWholeFile(path, content); });
  return true;
}

bool OverlayFiles::ReadWholeFile(const std::string& path, std::string& bytes) {
  return ReadCurrent(path, bytes);
}

bool OverlayFiles::MakeDirectory(const std::string& path) {
  if (!ParentIsFolder(path) || Current(path).exists) return false;
  Pending& p = Take(path);
  p.state = FileState{true, true, 0, std::nullopt};
  p.contentKnown = true;
  Record("create folder " + path, [path](FilePorts& b) { return b.files.MakeDirectory(path); });
  return true;
}

bool OverlayFiles::RemoveEmptyDirectory(const std::string& path) {
  const FileState now = Current(path);
  if (!now.exists || !now.directory) return false;
  const std::string prefix = Id(path) + "\\";
  for (const auto& [id, p] : pending_)
    if (id.compare(0, prefix.size(), prefix) == 0 && p.state.exists) return false;
  // Every entry below counts, not only the first the search gives.
  std::vector<FoundFile> entries;
  if (!Find(path) && FindAll(path + "\\*", entries))
    for (const FoundFile& entry : entries)
      if (entry.name != "." && entry.name != "..") return false;
  Pending& p = Take(path);
  p.state = FileState{};
  p.contentKnown = true;
  Record("remove folder " + path, [path](FilePorts& b) { return b.files.RemoveEmptyDirectory(path); });
  return true;
}

bool OverlayFiles::OpenExclusive(const std::string& path) {
  if (!Find(path)) return base_.fileOps.OpenExclusive(path);
  const FileState now = Current(path);
  return now.exists && !now.directory && !(now.attributes & fileattr::ReadOnly);
}

bool OverlayFiles::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  std::string bytes;
  if (!ReadCurrent(from, bytes)) return false;
  if (failIfExists && Current(to).exists) return false;
  if (!Store(to, bytes, false, Current(from).attributes & kKeptAttributes)) return false;
  Record("copy " + from + " -> " + to,
         [from, to, failIfExists](FilePorts& b) { return b.fileOps.Copy(from, to, failIfExists); });
  return true;
}

bool OverlayFiles::Delete(const std::string& path) {
  const FileState now = Current(path);
  if (!now.exists || now.directory || (now.attributes & fileattr::ReadOnly)) return false;
  Pending& p = Take(path);
  p.state = FileState{};
  p.contentKnown = true;
  Record("delete " + path, [path](FilePorts& b) { return b.fileOps.Delete(path); });
  return true;
}

bool OverlayFiles::Rename(const std::string& from, const std::string& to) {
  const FileState source = Current(from);
  std::string bytes;
  if (!source.exists || source.directory || Current(to).exists || !ReadCurrent(from, bytes)) return false;
  if (!Store(to, bytes, false, source.attributes & kKeptAttributes)) return false;
  Pending& old = Take(from);
  old.state = FileState{};
  old.contentKnown = true;
  Record("rename " + from + " -> " + to, [from, to](FilePorts& b) { return b.fileOps.Rename(from, to); });
  return true;
}

bool OverlayFiles::FindFirst(const std::string& path, FoundFile& out) {
  if (path.find_first_of("*?") != std::string::npos || !Find(path)) return base_.fileOps.FindFirst(path, out);
  const FileState now = Current(path);
  if (!now.exists) return false;
  std::string bytes;
  out.name = NameOf(Find(path)->path);
  out.size = !now.directory && ReadCurrent(path, bytes) ? bytes.size() : 0;
  out.attributes = GetAttributes(path);
  return true;
}

bool OverlayFiles::FindAll(const std::string& path, std::vector<FoundFile>& out) {
  if (path.find_first_of("*?") == std::string::npos) {
    FoundFile found;
    if (!FindFirst(path, found)) return false;
    out.push_back(found);
    return true;
  }
  std::vector<FoundFile> below;
  if (!base_.fileOps.FindAll(path, below)) return false;
  const std::string folder = ParentOf(path);
  for (FoundFile& entry : below)
    if (entry.name == "." || entry.name == ".." || Current(folder + "\\" + entry.name).exists)
      out.push_back(std::move(entry));
  return !out.empty();
}

std::string OverlayFiles::ProfilePath(const char* file) {
  const std::string name = file && *file ? file : "win.ini";
  const bool absolute = name[0] == '\\' || name[0] == '/' || (name.size() > 1 && name[1] == ':');
  if (absolute) return name;
  std::string windows;
  if (!base_.system.WindowsDirectory(windows) || windows.empty()) windows = "C:\\WINDOWS";
  if (windows.back() != '\\') windows += '\\';
  return windows + name;
}

std::uint32_t OverlayFiles::GetString(const char* section, const char* key, const char* defaultValue,
                                      std::string& result, std::uint32_t bufferSize,
                                      const std::string& file) {
  const std::string path = ProfilePath(file.c_str());
  if (!Find(path)) return base_.profile.GetString(section, key, defaultValue, result, bufferSize, file);
  std::string bytes;
  ReadCurrent(path, bytes);
  return prefix::ProfileText(std::move(bytes)).GetString(section, key, defaultValue, bufferSize, result);
}

bool OverlayFiles::WriteString(const char* section, const char* key, const char* value,
                               const char* file) {
  if (!section) return !key && !value;  // all null: the flush of a cache the overlay lacks
  const std::string path = ProfilePath(file);
  const FileState now = Current(path);
  std::string bytes;
  if (now.exists && !ReadCurrent(path, bytes)) return false;
  prefix::ProfileText text(std::move(bytes));
  const bool changed = !key     ? text.DeleteSection(section)
                       : !value ? text.DeleteKey(section, key)
                                : text.SetValue(section, key, value);
  if (!changed) return true;
  if (!Store(path, text.Bytes(), true, fileattr::Archive)) return false;
  Record("profile " + path + " [" + section + "]" + (key ? std::string(" ") + key : "") +
             (value ? std::string("=") + value : std::string(" deleted")),
         [s = Copied(section), k = Copied(key), v = Copied(value), f = Copied(file)](FilePorts& b) {
           return b.profile.WriteString(Raw(s), Raw(k), Raw(v), Raw(f));
         });
  return true;
}

}  // namespace vlx::overlay
