// Registry port over a Windows 9x installation's hive files: SYSTEM.DAT is HKEY_LOCAL_MACHINE,
// USER.DAT (the Windows folder's or a profile's) is HKEY_CURRENT_USER, HKEY_CLASSES_ROOT is
// HKEY_LOCAL_MACHINE\Software\Classes (on Windows ME the file CLASSES.DAT, when given). The 9x
// family's semantics always hold: a key is deleted
// with its subkeys, a REG_SZ is stored up to its first zero plus one terminator.
#pragma once
#include <filesystem>
#include <functional>
#include <memory>

#include "prefix/offline_registry.h"

namespace vlx::win9x {

class Win9xRegistry : public prefix::OfflineRegistry {
 public:
  // Hive files are read on first use; one that does not parse raises prefix::PrefixError naming
  // the file, the offset and the fault, and is never written.
  Win9xRegistry(std::filesystem::path systemDat, std::filesystem::path userDat,
                std::filesystem::path classesDat = {});
  ~Win9xRegistry() override;

  long OpenKey(RegKey parent, const std::string& path, RegKey& result) override;
  long CreateKey(RegKey parent, const std::string& path, RegKey& result) override;
  long CloseKey(RegKey key) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override;
  long SetValue(RegKey key, const std::string& name, std::uint32_t type, const unsigned char* data,
                std::uint32_t size) override;
  long DeleteValue(RegKey key, const std::string& name) override;
  RegLimits Limits() override;
  long DeleteKey(RegKey parent, const std::string& subkey) override;
  long EnumKey(RegKey key, std::uint32_t index, std::string& name) override;
  long EnumValue(RegKey key, std::uint32_t index, std::string& name, std::uint32_t& type,
                 std::string& data) override;
  long QueryInfoKey(RegKey key, RegKeyInfo& info) override;

  // The hives follow the 9x family whatever the image reports.
  void SetFamily(std::function<bool()>) override {}

  // Writes every changed hive, all together (see prefix::FileSet; the journal is
  // Win9xJournalPath). Before the first write of a hive in this run its file
  // as it was is kept beside it (SYSTEM.VX0; earlier copies move on to .VX1 ... .VX9), and its
  // FAT attributes (hidden, system, read-only) stay as they were.
  void Save() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The journal of a save that replaces more than one hive: VOLNRX.JNL beside SYSTEM.DAT.
std::filesystem::path Win9xJournalPath(const std::filesystem::path& systemDat);

// The name of the n-th copy kept of a hive: SYSTEM.DAT -> SYSTEM.VX0 for n = 0.
std::filesystem::path HiveBackupPath(const std::filesystem::path& hive, int n);

}  // namespace vlx::win9x
