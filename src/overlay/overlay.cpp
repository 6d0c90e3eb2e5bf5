#include "overlay/overlay.h"

#include "overlay/unified_diff.h"
#include "store/regedit_registry.h"

namespace vlx::overlay {

namespace {

bool IsText(const std::string& bytes) { return bytes.find('\0') == std::string::npos; }

void Section(std::vector<std::string>& out, const std::string& title) { out.push_back("== " + title + " =="); }

}  // namespace

Overlay::Overlay(Platform& base)
    : base_(base),
      registry_(*base.registry,
                [&base] { return base.facts && (base.facts->VersionWord() & 0x80000000u) != 0; }),
      files_(FilePorts{*base.files, *base.textFiles, *base.fileOps, *base.profile, *base.system}),
      parameters_(*base.parameters, effects_, registry_),
      desktop_(*base.desktop, effects_),
      processes_(*base.processes, effects_),
      windows_(*base.windows, effects_),
      shellFiles_(*base.shellFiles, effects_),
      library_(*base.library, effects_),
      platform_(base) {
  platform_.registry = &registry_;
  platform_.files = &files_;
  platform_.textFiles = &files_;
  platform_.fileOps = &files_;
  platform_.profile = &files_;
  platform_.parameters = &parameters_;
  platform_.desktop = &desktop_;
  platform_.processes = &processes_;
  platform_.windows = &windows_;
  platform_.shellFiles = &shellFiles_;
  platform_.library = &library_;
}

std::vector<std::string> Overlay::Report() {
  std::vector<std::string> out;
  Section(out, "registry (REGEDIT4)");
  regedit::Writer patch(regedit::Form::Regedit4);
  for (const regedit::Entry& entry : registry_.Changes()) patch.Add(entry);
  if (patch.Empty()) {
    out.push_back("(no change)");
  } else {
    const std::string text = patch.Text();
    std::size_t pos = 0;
    while (pos < text.size()) {
      const std::size_t end = text.find('\n', pos);
      out.push_back(text.substr(pos, end - pos));
      pos = end + 1;
    }
  }
  Section(out, "files");
  for (const FileChange& change : files_.Log()) out.push_back(change.text);
  if (files_.Log().empty()) out.push_back("(no change)");
  Section(out, "file contents (unified diff)");
  bool anyDiff = false;
  for (const std::string& path : files_.Touched()) {
    const FileState before = files_.Before(path), after = files_.After(path);
    if (before.directory || after.directory || before.bytes == after.bytes) continue;
    anyDiff = true;
    if ((before.bytes && !IsText(*before.bytes)) || (after.bytes && !IsText(*after.bytes))) {
      out.push_back("binary file " + path + ": " + (before.bytes ? std::to_string(before.bytes->size()) : "none") +
                    " -> " + (after.bytes ? std::to_string(after.bytes->size()) : "none") + " bytes");
      continue;
    }
    for (std::string& line : UnifiedDiff(path, before.bytes ? &*before.bytes : nullptr,
                                         after.bytes ? &*after.bytes : nullptr))
      out.push_back(std::move(line));
  }
  if (!anyDiff) out.push_back("(no change)");
  Section(out, "journal");
  for (const Effect& effect : effects_) out.push_back(effect.text);
  if (effects_.empty()) out.push_back("(nothing)");
  return out;
}

std::vector<std::string> Overlay::Commit() {
  regedit::Script script;
  script.entries = registry_.Changes();
  regedit::Apply(*base_.registry, script);
  std::vector<std::string> failed;
  FilePorts ports{*base_.files, *base_.textFiles, *base_.fileOps, *base_.profile, *base_.system};
  for (const FileChange& change : files_.Log())
    if (!change.redo(ports)) failed.push_back(change.text);
  for (const Effect& effect : effects_) effect.redo();
  return failed;
}

}  // namespace vlx::overlay
