#include "prefix/prefix_machine.h"

#include <system_error>

#include "prefix/path_mapper.h"
#include "prefix/prefix_clock.h"
#include "prefix/prefix_desktop.h"
#include "prefix/prefix_dialogs.h"
#include "prefix/prefix_error.h"
#include "prefix/prefix_facts.h"
#include "prefix/prefix_file_ops.h"
#include "prefix/prefix_files.h"
#include "prefix/prefix_library.h"
#include "prefix/prefix_parameters.h"
#include "prefix/prefix_profile.h"
#include "prefix/prefix_registry.h"
#include "prefix/prefix_screen.h"
#include "prefix/prefix_shell_files.h"
#include "prefix/prefix_system.h"
#include "prefix/prefix_tasks.h"

namespace vlx::prefix {

namespace {
std::filesystem::path CheckedRoot(std::filesystem::path root) {
  std::error_code ec;
  for (const char* part : {"system.reg", "user.reg", "drive_c"}) {
    if (!std::filesystem::exists(root / part, ec))
      throw PrefixError(root.string() + " is no machine image: " + part + " is missing");
  }
  return root;
}

MachineLayout PrefixLayout(std::filesystem::path folder) {
  std::filesystem::path root = CheckedRoot(std::move(folder));
  auto registry = std::make_unique<PrefixRegistry>(root / "system.reg", root / "user.reg");
  std::filesystem::path driveC = root / "drive_c";
  return {std::move(root), std::move(driveC), std::move(registry)};
}
}  // namespace

struct PrefixMachine::Impl {
  explicit Impl(MachineLayout layout)
      : root(std::move(layout.root)),
        ownRegistry(std::move(layout.registry)),
        registry(*ownRegistry),
        paths(root, std::move(layout.driveC)),
        files(paths),
        system(registry),
        shell(registry, system),
        profile(paths, files, system),
        parameters(registry, journal),
        fileOps(paths),
        session(SimulatedSession::Windows98(ProgramFolderPath())),
        processes(session, files, system, journal),
        windows(session, journal),
        shellFiles(registry, files, journal),
        library([this](const std::string& path) { return paths.ToHost(path); },
                [this] { return LibrarySearchFolders(); }, registry, journal),
        dialogs(journal),
        desktop(root, journal) {
    platform.registry = &registry;
    platform.files = &files;
    platform.system = &system;
    platform.shell = &shell;
    platform.profile = &profile;
    platform.parameters = &parameters;
    platform.clock = &clock;
    platform.fileOps = &fileOps;
    platform.shellFiles = &shellFiles;
    platform.library = &library;
    platform.processes = &processes;
    platform.windows = &windows;
    platform.dialogs = &dialogs;
    platform.desktop = &desktop;
    platform.screen = &screen;
    platform.clipboard = &clipboard;
    platform.facts = &facts;
    platform.textFiles = &files;
    // The registry follows the family of the version the image presents.
    registry.SetFamily([this] { return (facts.VersionWord() & 0x80000000u) != 0; });
  }

  // The program folder without its trailing backslash.
  static std::string ProgramFolderPath() {
    std::string folder = kImageProgramFolder;
    folder.pop_back();
    return folder;
  }

  // The program's folder, then the system and Windows folders, as LoadLibraryA searches.
  std::vector<std::string> LibrarySearchFolders() {
    std::vector<std::string> folders{kImageProgramFolder};
    std::string folder;
    if (system.SystemDirectory(folder)) folders.push_back(folder);
    if (system.WindowsDirectory(folder)) folders.push_back(folder);
    return folders;
  }

  std::filesystem::path root;
  Journal journal;
  std::unique_ptr<OfflineRegistry> ownRegistry;
  OfflineRegistry& registry;
  PathMapper paths;
  PrefixFiles files;
  PrefixSystemInfo system;
  PrefixShell shell;
  PrefixProfile profile;
  PrefixParameters parameters;
  PrefixClock clock;
  PrefixFileOps fileOps;
  SimulatedSession session;
  PrefixProcesses processes;
  SimulatedScreen screen;
  PrefixClipboard clipboard{journal};
  PrefixSystemFacts facts{registry, paths};
  PrefixTopWindows windows;
  PrefixShellFiles shellFiles;
  PrefixLibrary library;
  PrefixDialogs dialogs;
  PrefixDesktop desktop;
  Platform platform;
};

PrefixMachine::PrefixMachine(std::filesystem::path root)
    : impl_(std::make_unique<Impl>(PrefixLayout(std::move(root)))) {}

PrefixMachine::PrefixMachine(MachineLayout layout)
    : impl_(std::make_unique<Impl>(std::move(layout))) {}

PrefixMachine::~PrefixMachine() = default;

const std::filesystem::path& PrefixMachine::Root() const { return impl_->root; }
Platform& PrefixMachine::platform() { return impl_->platform; }
Journal& PrefixMachine::journal() { return impl_->journal; }
PrefixDialogs& PrefixMachine::dialogs() { return impl_->dialogs; }
void PrefixMachine::Flush() { impl_->registry.Save(); }

}  // namespace vlx::prefix
