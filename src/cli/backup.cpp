// apply --backup DIR and restore DIR. The folder holds:
//   undo.reg      REGEDIT4 in the forms Windows 98's regedit reads: values set back, keys the
//                 run created deleted ([-KEY]), trees it deleted written out again
//   files\N       the earlier copy of each file the run changed or deleted
//   manifest.txt  one line per item, fields separated by tabs (code page 1251, CR LF; a tab,
//                 line break or '%' inside a field is written %09, %0A, %0D, %25):
//                   volnerix-backup 1
//                   value<TAB>KEY<TAB>NAME          a value the run created: removed on restore
//                   path<TAB>PATH<TAB>BEFORE<TAB>ATTRIBUTES<TAB>AFTER
//                 BEFORE is "none", "folder" or files\N; ATTRIBUTES the earlier attributes in
//                 hexadecimal; AFTER "none", "folder" or "file SIZE HASH" (FNV-1a of the bytes
//                 the run left), what a restore checks before it changes anything.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "cli/commands.h"
#include "cli/host_folder.h"
#include "overlay/overlay.h"
#include "store/regedit_registry.h"
#include "store/store_error.h"

namespace vlx::cli {

namespace {

constexpr const char* kMagic = "volnerix-backup 1";

std::string Hex(std::uint64_t value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(value));
  return text;
}

std::string Fingerprint(const std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
  return "file " + std::to_string(bytes.size()) + " " + Hex(hash, 16);
}

std::string AfterText(const overlay::FileState& state) {
  if (!state.exists) return "none";
  if (state.directory) return "folder";
  return Fingerprint(state.bytes.value_or(std::string()));
}

std::string Escaped(const std::string& field) {
  std::string out;
  for (char c : field) {
    if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
      out += '%';
      out += Hex(static_cast<unsigned char>(c), 2);
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescaped(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '%' && i + 2 < field.size() && std::isxdigit(static_cast<unsigned char>(field[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(field[i + 2]))) {
      out += static_cast<char>(std::strtoul(field.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t end = text.find(separator, pos);
    parts.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    if (end == std::string::npos) return parts;
    pos = end + separator.size();
  }
}

// What a path was, and what the run left, as the manifest records it.
struct PathItem {
  std::string path;
  std::string before;  // "none", "folder" or files\N
  std::uint32_t attributes = 0;
  std::string after;
};

struct Manifest {
  std::vector<std::pair<std::string, std::string>> values;  // key, name
  std::vector<PathItem> paths;
};

bool ReadManifest(const std::string& folder, Manifest& out, std::string& error) {
  std::string text;
  if (!HostReadFile(HostJoin(folder, "manifest.txt"), text)) {
    error = "no manifest.txt in " + HostToCp1251(folder);
    return false;
  }
  const std::vector<std::string> lines = Split(text, "\r\n");
  if (lines.empty() || lines[0] != kMagic) {
    error = HostToCp1251(folder) + " is no backup (manifest.txt does not start with \"" + kMagic + "\")";
    return false;
  }
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    std::vector<std::string> f = Split(lines[i], "\t");
    for (std::string& field : f) field = Unescaped(field);
    if (f[0] == "value" && f.size() == 3) {
      out.values.emplace_back(f[1], f[2]);
    } else if (f[0] == "path" && f.size() == 5) {
      out.paths.push_back({f[1], f[2], static_cast<std::uint32_t>(std::strtoul(f[3].c_str(), nullptr, 16)), f[4]});
    } else {
      error = "manifest.txt line " + std::to_string(i + 1) + " cannot be read";
      return false;
    }
  }
  return true;
}

std::string CurrentText(Platform& platform, const std::string& path) {
  const std::uint32_t attributes = platform.files->GetAttributes(path);
  if (attributes == fileattr::Invalid) return "none";
  if (attributes & fileattr::Directory) return "folder";
  std::string bytes;
  if (!platform.textFiles->ReadWholeFile(path, bytes)) return "unreadable";
  return Fingerprint(bytes);
}

// A file put back with the bytes and attributes it had; a read-only one is made writable first.
bool PutBack(Platform& platform, const std::string& path, const std::string& bytes,
             std::uint32_t attributes) {
  const std::uint32_t now = platform.files->GetAttributes(path);
  if (now != fileattr::Invalid && (now & fileattr::ReadOnly))
    platform.files->SetAttributes(path, now & ~fileattr::ReadOnly);
  return platform.textFiles->ReplaceWholeFile(path, bytes) &&
         platform.files->SetAttributes(path, attributes ? attributes : fileattr::Normal);
}

bool Remove(Platform& platform, const std::string& path) {
  const std::uint32_t now = platform.files->GetAttributes(path);
  if (now == fileattr::Invalid) return true;
  if (now & fileattr::Directory) return platform.files->RemoveEmptyDirectory(path);
  if (now & fileattr::ReadOnly) platform.files->SetAttributes(path, now & ~fileattr::ReadOnly);
  return platform.fileOps->Delete(path);
}

}  // namespace

bool WriteBackup(overlay::Overlay& overlay, const std::string& folder) {
  if (HostFolderExists(folder) || !HostMakeFolder(folder) || !HostMakeFolder(HostJoin(folder, "files"))) {
    PrintError("volnrx-cli: cannot make the new backup folder " + HostToCp1251(folder) +
               " (it must not exist yet); nothing was changed");
    return false;
  }
  std::string manifest = std::string(kMagic) + "\r\n";
  regedit::Writer undo(regedit::Form::Regedit4);
  // Windows 98's regedit has no "name"=-: the manifest lists such values, and a section left
  // with nothing else in it is dropped (a key with no values at all stays).
  const std::vector<regedit::Entry> entries = overlay.registry().Undo();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const regedit::Entry& entry = entries[i];
    if (entry.kind == regedit::Entry::Kind::DeleteValue) {
      manifest += "value\t" + Escaped(entry.key) + "\t" + Escaped(entry.name) + "\r\n";
      continue;
    }
    if (entry.kind == regedit::Entry::Kind::Key) {
      std::size_t next = i + 1;
      while (next < entries.size() && entries[next].kind == regedit::Entry::Kind::DeleteValue) ++next;
      const bool onlyDeletions = next > i + 1 && (next == entries.size() || entries[next].kind != regedit::Entry::Kind::Value);
      if (onlyDeletions) continue;
    }
    undo.Add(entry);
  }
  bool ok = HostWriteFile(HostJoin(folder, "undo.reg"), undo.Bytes());
  int copies = 0;
  for (const std::string& path : overlay.files().Touched()) {
    const overlay::FileState before = overlay.files().Before(path);
    const overlay::FileState after = overlay.files().After(path);
    std::string saved = "none";
    if (before.exists && before.directory) saved = "folder";
    if (before.exists && !before.directory) {
      if (!before.bytes) {
        PrintError("volnrx-cli: cannot read " + path + " to back it up; nothing was changed");
        return false;
      }
      saved = "files\\" + std::to_string(++copies);
      ok = HostWriteFile(HostJoin(HostJoin(folder, "files"), std::to_string(copies)), *before.bytes) && ok;
    }
    manifest += "path\t" + Escaped(path) + "\t" + saved + "\t" + Hex(before.attributes, 2) + "\t" + AfterText(after) + "\r\n";
  }
  ok = HostWriteFile(HostJoin(folder, "manifest.txt"), manifest) && ok;
  if (!ok) PrintError("volnrx-cli: cannot write the backup in " + HostToCp1251(folder) + "; nothing was changed");
  return ok;
}

int RunRestore(Platform& platform, const std::string& folder) {
  Manifest manifest;
  std::string error, undoBytes;
  if (!ReadManifest(folder, manifest, error) || !HostReadFile(HostJoin(folder, "undo.reg"), undoBytes)) {
    PrintError("volnrx-cli: " + (error.empty() ? "no undo.reg in " + HostToCp1251(folder) : error) + "; nothing was restored");
    return 1;
  }
  regedit::Script undo;
  try {
    undo = regedit::Parse(undoBytes);
  } catch (const regedit::ParseError& e) {
    PrintError("volnrx-cli: undo.reg line " + std::to_string(e.line) + ": " + e.what() + "; nothing was restored");
    return 1;
  }
  // Everything checked and read before anything changes.
  std::vector<std::string> changed;
  std::map<std::string, std::string> copies;
  for (const PathItem& item : manifest.paths) {
    const std::string now = CurrentText(platform, item.path);
    if (now != item.after) changed.push_back(item.path);
    if (item.before.rfind("files\\", 0) == 0) {
      std::string bytes;
      if (!HostReadFile(HostJoin(HostJoin(folder, "files"), item.before.substr(6)), bytes)) {
        PrintError("volnrx-cli: the backup's copy " + item.before + " of " + item.path +
                   " is missing; nothing was restored");
        return 1;
      }
      copies[item.before] = std::move(bytes);
    }
  }
  if (!changed.empty()) {
    for (const std::string& path : changed)
      PrintError("volnrx-cli: " + path + " changed since the backup");
    PrintError("volnrx-cli: restore refused; nothing was changed");
    return 1;
  }
  try {
    regedit::Apply(*platform.registry, undo);
    for (const auto& [key, name] : manifest.values) {
      RegKey root = 0, handle = 0;
      std::string path, rootName;
      if (!regedit::SplitKeyName(key, root, path, rootName)) continue;
      if (platform.registry->OpenKey(root, path, handle) != winerr::Success) continue;
      platform.registry->DeleteValue(handle, name);
      platform.registry->CloseKey(handle);
    }
  } catch (const StoreError& e) {
    PrintError(std::string("volnrx-cli: ") + e.what());
    return 1;
  }
  // Last touched first: files in a folder the run made go before the folder.
  bool ok = true;
  for (auto it = manifest.paths.rbegin(); it != manifest.paths.rend(); ++it) {
    const PathItem& item = *it;
    if (item.before == "none") {
      if (!Remove(platform, item.path)) ok = false, PrintError("volnrx-cli: cannot remove " + item.path);
    } else if (item.before == "folder") {
      if (!platform.files->Exists(item.path) && !platform.files->MakeDirectory(item.path))
        ok = false, PrintError("volnrx-cli: cannot make the folder " + item.path);
      else if (item.attributes) platform.files->SetAttributes(item.path, item.attributes);
    } else if (!PutBack(platform, item.path, copies[item.before], item.attributes)) {
      ok = false;
      PrintError("volnrx-cli: cannot put back " + item.path);
    }
  }
  if (!ok) return 1;
  Print("restored from " + HostToCp1251(folder));
  return 0;
}

}  // namespace vlx::cli
