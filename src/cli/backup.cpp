// apply --backup DIR and restore DIR [/f]. The folder holds:
//   undo.reg      REGEDIT4 in the forms Windows 98's regedit reads: values set back, keys the
//                 run created deleted ([-KEY]), trees it deleted written out again
//   files\N       the earlier copy of each file the run changed or deleted
//   manifest.txt  one line per item, fields separated by tabs (code page 1251, CR LF; a tab,
//                 line break or '%' inside a field is written %09, %0A, %0D, %25). A DIGEST is
//                 "SIZE HASH", the FNV-1a hash of the bytes:
//                   volnerix-backup 2
//                   image<TAB>KIND<TAB>PATH<TAB>USER   the machine: prefix, win9x, disk or system
//                   registry<TAB>ROOT<TAB>DIGEST       the root's REGEDIT4 export before the run
//                   undo<TAB>DIGEST                    of undo.reg
//                   key<TAB>KEY                        a key the run created, parents first
//                   value<TAB>KEY<TAB>NAME             a value the run created: removed on restore
//                   left<TAB>KEY<TAB>NAME<TAB>STATE    what the run left in a value it set or
//                                                      removed: "none" or "TYPE DIGEST"
//                   path<TAB>PATH<TAB>BEFORE<TAB>ATTRIBUTES<TAB>AFTER<TAB>COPY
//                   end<TAB>DIGEST                     of every byte before this line
//                 BEFORE is "none", "folder" or files\N; ATTRIBUTES the earlier attributes in
//                 hexadecimal; AFTER "none", "folder" or "file DIGEST" of the bytes the run
//                 left; COPY the DIGEST of files\N, or "-".
// A restore checks the whole folder first, then the machine, then that nothing the run left has
// changed since; it puts back only what the run changed.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "cli/commands.h"
#include "cli/host_folder.h"
#include "overlay/overlay.h"
#include "store/regedit_registry.h"
#include "store/store_error.h"
#include "text/cp1251.h"

namespace vlx::cli {

namespace {

constexpr const char* kMagic = "volnerix-backup 2";
constexpr const char* kOldMagic = "volnerix-backup 1";
constexpr const char* kRoots[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"};

std::string Hex(std::uint64_t value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(value));
  return text;
}

std::string Digest(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
  return std::to_string(bytes.size()) + " " + Hex(hash, 16);
}

std::string Fingerprint(const std::string& bytes) { return "file " + Digest(bytes); }

// A value as the manifest records it. A string's terminators are left out: the registry below
// may store one where the caller gave none.
std::string ValueText(const overlay::OverlayRegistry::ValueState& state) {
  if (!state.exists) return "none";
  std::string_view data = state.data;
  if (state.type == regtype::Sz || state.type == regtype::ExpandSz)
    while (!data.empty() && data.back() == '\0') data.remove_suffix(1);
  return std::to_string(state.type) + " " + Digest(data);
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

std::string Line(std::initializer_list<std::string> fields) {
  std::string line;
  for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + Escaped(field);
  return line + "\r\n";
}

// A value by key and name, without regard to case.
std::string ValueId(const std::string& key, const std::string& name) {
  std::string id = key + '\n' + name;
  for (char& c : id) c = static_cast<char>(Cp1251ToLower(static_cast<unsigned char>(c)));
  return id;
}

// What a path was, and what the run left, as the manifest records it.
struct PathItem {
  std::string path;
  std::string before;  // "none", "folder" or files\N
  std::uint32_t attributes = 0;
  std::string after;
  std::string copy;  // the digest of files\N, or "-"
};

struct LeftValue {
  std::string key, name, state;
};

struct Manifest {
  MachineIdentity machine;
  std::string undo;                 // digest of undo.reg
  std::vector<std::string> created;  // keys
  std::vector<std::pair<std::string, std::string>> values;  // key, name
  std::vector<LeftValue> left;
  std::vector<PathItem> paths;
};

bool ReadManifest(const std::string& folder, Manifest& out, std::string& error) {
  std::string text;
  if (!HostReadFile(HostJoin(folder, "manifest.txt"), text)) {
    error = "no manifest.txt in " + HostToCp1251(folder);
    return false;
  }
  if (text.rfind(std::string(kOldMagic) + "\r\n", 0) == 0) {
    error = HostToCp1251(folder) + " was made by an earlier volnrx-cli, whose backups record neither the machine nor "
            "what the run left, so it cannot be checked (its undo.reg can still be imported with "
            "reg import)";
    return false;
  }
  if (text.rfind(std::string(kMagic) + "\r\n", 0) != 0) {
    error = HostToCp1251(folder) + " is no backup (manifest.txt does not start with \"" + kMagic + "\")";
    return false;
  }
  // The last line holds the digest of everything before it: a manifest cut short or changed is
  // refused whole.
  const std::size_t endLine = text.rfind("\r\nend\t");
  if (endLine == std::string::npos || text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0 ||
      text.substr(endLine + 6, text.size() - 2 - endLine - 6) != Digest(std::string_view(text).substr(0, endLine + 2))) {
    error = "the backup's manifest.txt is damaged (its end line is missing or does not match)";
    return false;
  }
  const std::vector<std::string> lines = Split(text.substr(0, endLine), "\r\n");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> f = Split(lines[i], "\t");
    for (std::string& field : f) field = Unescaped(field);
    if (f[0] == "image" && f.size() == 4) {
      out.machine = {f[1], f[2], f[3]};
    } else if (f[0] == "registry" && f.size() == 3) {
    } else if (f[0] == "undo" && f.size() == 2) {
      out.undo = f[1];
    } else if (f[0] == "key" && f.size() == 2) {
      out.created.push_back(f[1]);
    } else if (f[0] == "value" && f.size() == 3) {
      out.values.emplace_back(f[1], f[2]);
    } else if (f[0] == "left" && f.size() == 4) {
      out.left.push_back({f[1], f[2], f[3]});
    } else if (f[0] == "path" && f.size() == 6) {
      out.paths.push_back({f[1], f[2], static_cast<std::uint32_t>(std::strtoul(f[3].c_str(), nullptr, 16)), f[4], f[5]});
    } else {
      error = "manifest.txt line " + std::to_string(i + 1) + " cannot be read";
      return false;
    }
  }
  if (out.undo.empty() || out.machine.kind.empty()) {
    error = "the backup's manifest.txt lacks its undo or image line";
    return false;
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

using regedit::OpenedKey;

std::string CurrentValueText(Registry& registry, const std::string& key, const std::string& name) {
  OpenedKey opened(registry, key, false);
  overlay::OverlayRegistry::ValueState state;
  if (!opened.get()) return ValueText(state);
  std::uint32_t size = 0;
  if (registry.QueryValue(opened.get(), name, &state.type, nullptr, &size) != winerr::Success)
    return ValueText(state);
  state.data.resize(size);
  if (registry.QueryValue(opened.get(), name, &state.type, reinterpret_cast<unsigned char*>(state.data.data()),
                          &size) != winerr::Success)
    return "unreadable";
  state.data.resize(size);
  state.exists = true;
  return ValueText(state);
}

std::string ShownValue(const std::string& key, const std::string& name) {
  return key + " \"" + name + "\"";
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

constexpr std::uint32_t kKeptAttributes =
    fileattr::ReadOnly | fileattr::Hidden | fileattr::System | fileattr::Archive;

// Only what differs: a file whose bytes are the earlier ones gets its attributes back and is not
// written again.
bool PutBackChanged(Platform& platform, const std::string& path, const std::string& bytes,
                    std::uint32_t attributes) {
  if (CurrentText(platform, path) != Fingerprint(bytes)) return PutBack(platform, path, bytes, attributes);
  const std::uint32_t now = platform.files->GetAttributes(path);
  if ((now & kKeptAttributes) == (attributes & kKeptAttributes)) return true;
  return platform.files->SetAttributes(path, attributes ? attributes : fileattr::Normal);
}

bool Remove(Platform& platform, const std::string& path) {
  const std::uint32_t now = platform.files->GetAttributes(path);
  if (now == fileattr::Invalid) return true;
  if (now & fileattr::Directory) return platform.files->RemoveEmptyDirectory(path);
  if (now & fileattr::ReadOnly) platform.files->SetAttributes(path, now & ~fileattr::ReadOnly);
  return platform.fileOps->Delete(path);
}

std::string RegistryDigest(Registry& registry, const std::string& root) {
  regedit::Writer tree(regedit::Form::Regedit4);
  regedit::ExportKey(registry, root, tree);
  return Digest(tree.Bytes());
}

std::string Shown(const MachineIdentity& machine) {
  return machine.kind + " " + machine.path + (machine.user.empty() ? "" : " (user " + machine.user + ")");
}

}  // namespace

bool WriteBackup(overlay::Overlay& overlay, const std::string& folder, const MachineIdentity& machine,
                 Registry& before) {
  if (HostFolderExists(folder) || !HostMakeFolder(folder) || !HostMakeFolder(HostJoin(folder, "files"))) {
    PrintError("volnrx-cli: cannot make the new backup folder " + HostToCp1251(folder) +
               " (it must not exist yet); nothing was changed");
    return false;
  }
  std::string manifest = std::string(kMagic) + "\r\n" + Line({"image", machine.kind, machine.path, machine.user});
  for (const char* root : kRoots) manifest += Line({"registry", root, RegistryDigest(before, root)});
  regedit::Writer undo(regedit::Form::Regedit4);
  // Windows 98's regedit has no "name"=-: the manifest lists such values, and a section left
  // with nothing else in it is dropped (a key with no values at all stays).
  const std::vector<regedit::Entry> entries = overlay.registry().Undo();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const regedit::Entry& entry = entries[i];
    if (entry.kind == regedit::Entry::Kind::DeleteValue) continue;
    if (entry.kind == regedit::Entry::Kind::Key) {
      std::size_t next = i + 1;
      while (next < entries.size() && entries[next].kind == regedit::Entry::Kind::DeleteValue) ++next;
      const bool onlyDeletions = next > i + 1 && (next == entries.size() || entries[next].kind != regedit::Entry::Kind::Value);
      if (onlyDeletions) continue;
    }
    undo.Add(entry);
  }
  const std::string undoBytes = undo.Bytes();
  manifest += Line({"undo", Digest(undoBytes)});
  const overlay::OverlayRegistry::UndoItems items = overlay.registry().Items();
  for (const std::string& key : items.created) manifest += Line({"key", key});
  for (const auto& value : items.values) {
    if (!value.before.exists) manifest += Line({"value", value.key, value.name});
    manifest += Line({"left", value.key, value.name, ValueText(value.after)});
  }
  bool ok = HostWriteFile(HostJoin(folder, "undo.reg"), undoBytes);
  int copies = 0;
  for (const std::string& path : overlay.files().Touched()) {
    const overlay::FileState before = overlay.files().Before(path);
    const overlay::FileState after = overlay.files().After(path);
    std::string saved = "none", copy = "-";
    if (before.exists && before.directory) saved = "folder";
    if (before.exists && !before.directory) {
      if (!before.bytes) {
        PrintError("volnrx-cli: cannot read " + path + " to back it up; nothing was changed");
        return false;
      }
      saved = "files\\" + std::to_string(++copies);
      copy = Digest(*before.bytes);
      ok = HostWriteFile(HostJoin(HostJoin(folder, "files"), std::to_string(copies)), *before.bytes) && ok;
    }
    manifest += Line({"path", path, saved, Hex(before.attributes, 2), AfterText(after), copy});
  }
  manifest += Line({"end", Digest(manifest)});
  ok = HostWriteFile(HostJoin(folder, "manifest.txt"), manifest) && ok;
  if (!ok) PrintError("volnrx-cli: cannot write the backup in " + HostToCp1251(folder) + "; nothing was changed");
  return ok;
}

int RunRestore(Platform& platform, const std::string& folder, const MachineIdentity& machine, bool force,
               const std::function<bool()>& commit) {
  const auto refuse = [](const std::string& why) {
    PrintError("volnrx-cli: " + why + "; nothing was restored");
    return 1;
  };
  Manifest manifest;
  std::string error, undoBytes;
  if (!ReadManifest(folder, manifest, error)) return refuse(error);
  if (!HostReadFile(HostJoin(folder, "undo.reg"), undoBytes)) return refuse("no undo.reg in " + HostToCp1251(folder));
  // Every part of the backup is checked against the manifest before anything changes.
  if (Digest(undoBytes) != manifest.undo)
    return refuse("the backup's undo.reg is damaged (" + std::to_string(undoBytes.size()) +
                  " bytes, not as the manifest records it)");
  std::map<std::string, std::string> copies;
  for (const PathItem& item : manifest.paths) {
    if (item.before.rfind("files\\", 0) != 0) continue;
    std::string bytes;
    if (!HostReadFile(HostJoin(HostJoin(folder, "files"), item.before.substr(6)), bytes))
      return refuse("the backup's copy " + item.before + " of " + item.path + " is missing");
    if (Digest(bytes) != item.copy)
      return refuse("the backup's copy " + item.before + " of " + item.path + " is damaged (" +
                    std::to_string(bytes.size()) + " bytes, not as the manifest records it)");
    copies[item.before] = std::move(bytes);
  }
  regedit::Script undo;
  try {
    undo = regedit::Parse(undoBytes);
  } catch (const regedit::ParseError& e) {
    return refuse("undo.reg line " + std::to_string(e.line) + ": " + e.what());
  }
  if (!force && (manifest.machine.kind != machine.kind || manifest.machine.path != machine.path ||
                 manifest.machine.user != machine.user))
    return refuse("the backup was made on " + Shown(manifest.machine) + ", not on " + Shown(machine) +
                  " (restore " + HostToCp1251(folder) + " /f puts it back all the same)");
  std::vector<std::string> changed;
  for (const PathItem& item : manifest.paths)
    if (CurrentText(platform, item.path) != item.after) changed.push_back(item.path);
  if (!changed.empty() && !force) {
    for (const std::string& path : changed) PrintError("volnrx-cli: " + path + " changed since the backup");
    return refuse("restore refused (restore " + HostToCp1251(folder) + " /f puts the files back all the same)");
  }
  // A value the run left and that changed again since keeps its newer content unless forced.
  Registry& registry = *platform.registry;
  std::set<std::string> kept;
  for (const LeftValue& value : manifest.left) {
    if (CurrentValueText(registry, value.key, value.name) == value.state) continue;
    if (force) continue;
    kept.insert(ValueId(value.key, value.name));
    PrintError("volnrx-cli: " + ShownValue(value.key, value.name) +
               " changed since the backup; the newer value is kept (restore " + HostToCp1251(folder) +
               " /f puts back the earlier one)");
  }
  bool ok = true;
  const auto failed = [&ok](const std::string& what) {
    ok = false;
    PrintError("volnrx-cli: cannot " + what);
  };
  // Values the run set or removed, and keys it deleted, as they were.
  for (std::size_t i = 0; i < undo.entries.size(); ++i) {
    const regedit::Entry& section = undo.entries[i];
    if (section.kind != regedit::Entry::Kind::Key) continue;  // keys the run created: below
    std::size_t end = i + 1;
    while (end < undo.entries.size() && undo.entries[end].kind == regedit::Entry::Kind::Value) ++end;
    std::vector<const regedit::Entry*> values;
    for (std::size_t v = i + 1; v < end; ++v)
      if (!kept.count(ValueId(section.key, undo.entries[v].name))) values.push_back(&undo.entries[v]);
    if (end > i + 1 && values.empty()) continue;
    OpenedKey key(registry, section.key, true);
    if (!key.get()) {
      failed("create the key " + section.key);
      continue;
    }
    for (const regedit::Entry* value : values)
      if (registry.SetValue(key.get(), value->name, value->type,
                            reinterpret_cast<const unsigned char*>(value->data.data()),
                            static_cast<std::uint32_t>(value->data.size())) != winerr::Success)
        failed("set back " + ShownValue(section.key, value->name));
  }
  // Values the run created.
  for (const auto& [keyName, name] : manifest.values) {
    if (kept.count(ValueId(keyName, name))) continue;
    OpenedKey key(registry, keyName, false);
    if (!key.get()) continue;
    const long rc = registry.DeleteValue(key.get(), name);
    if (rc != winerr::Success && rc != winerr::FileNotFound) failed("remove " + ShownValue(keyName, name));
  }
  // Keys the run created, children first, each only while it holds nothing the run did not put
  // there.
  for (auto it = manifest.created.rbegin(); it != manifest.created.rend(); ++it) {
    const std::size_t cut = it->rfind('\\');
    if (cut == std::string::npos) continue;
    RegKeyInfo info;
    {
      OpenedKey key(registry, *it, false);
      if (!key.get()) continue;
      if (registry.QueryInfoKey(key.get(), info) != winerr::Success) {
        failed("read the key " + *it);
        continue;
      }
    }
    if (info.subkeys != 0 || info.values != 0) {
      PrintError("volnrx-cli: " + *it + " is kept: it holds keys or values added since the backup");
      continue;
    }
    OpenedKey parent(registry, it->substr(0, cut), false);
    if (!parent.get() || registry.DeleteKey(parent.get(), it->substr(cut + 1)) != winerr::Success)
      failed("remove the key " + *it);
  }
  // Last touched first: files in a folder the run made go before the folder.
  for (auto it = manifest.paths.rbegin(); it != manifest.paths.rend(); ++it) {
    const PathItem& item = *it;
    if (item.before == "none") {
      if (!Remove(platform, item.path)) failed("remove " + item.path);
    } else if (item.before == "folder") {
      if (!platform.files->Exists(item.path) && !platform.files->MakeDirectory(item.path))
        failed("make the folder " + item.path);
      else if (item.attributes) platform.files->SetAttributes(item.path, item.attributes);
    } else if (!PutBackChanged(platform, item.path, copies[item.before], item.attributes)) {
      failed("put back " + item.path);
    }
  }
  if (!ok || !commit()) return 1;
  Print("restored from " + HostToCp1251(folder) +
        (kept.empty() ? "" : " (" + std::to_string(kept.size()) + " newer value(s) kept)"));
  return 0;
}

}  // namespace vlx::cli
