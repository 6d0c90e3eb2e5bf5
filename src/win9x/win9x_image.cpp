#include "win9x/win9x_image.h"

#include "platform/win_types.h"
#include "prefix/atomic_file.h"
#include "prefix/dos_attributes.h"
#include "prefix/prefix_error.h"
#include "win9x/creg_file.h"

namespace vlx::win9x {

namespace fs = std::filesystem;

std::string Win9xHiveBytes(const std::vector<prefix::HiveValue>& values) {
  CregFile hive;
  for (const auto& value : values) {
    CregKey* key = &hive.Root();
    for (std::size_t start = 0, end; start <= value.key.size(); start = end + 1) {
      end = std::min(value.key.find('\\', start), value.key.size());
      key = &hive.AddSubkey(*key, value.key.substr(start, end - start));
    }
    if (value.type == regtype::None && value.name.empty()) continue;
    const bool text = value.type == regtype::Sz || value.type == regtype::ExpandSz;
    hive.SetValue(*key, value.name, value.type, text ? value.data + '\0' : value.data);
  }
  return hive.Serialize();
}

void CreateWin9xDrive(const fs::path& root) {
  prefix::CreateFolderAtomically(root, [](const fs::path& drive) {
    prefix::FillImageDrive(drive);
    // The hives are hidden, system and read-only files, as 9x keeps them.
    const std::pair<const char*, std::string> hives[] = {
        {"SYSTEM.DAT", Win9xHiveBytes(prefix::ImageMachineValues())},
        {"USER.DAT", Win9xHiveBytes(prefix::ImageUserValues())},
    };
    for (const auto& [name, bytes] : hives) {
      const fs::path host = drive / "WINDOWS" / name;
      prefix::WriteFileAtomically(host, bytes);
      if (!prefix::WriteDosAttributes(host, fileattr::Hidden | fileattr::System | fileattr::ReadOnly))
        throw prefix::PrefixError("Cannot set the attributes of " + host.string());
    }
  });
}

}  // namespace vlx::win9x
