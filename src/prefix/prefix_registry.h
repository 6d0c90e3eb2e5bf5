// Registry port over a Wine prefix: user.reg is HKEY_CURRENT_USER, system.reg is
// HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\Software\Classes.
#pragma once
#include <filesystem>
#include <functional>
#include <memory>

#include "prefix/offline_registry.h"

namespace vlx::prefix {

// The journal of a save that replaces both hives, beside system.reg.
inline constexpr const char* kPrefixJournal = "volnrx.jnl";

class PrefixRegistry : public OfflineRegistry {
 public:
  // Hive files are read on first use; a file that does not parse raises PrefixError naming
  // the file and line, and is never written.
  PrefixRegistry(std::filesystem::path systemReg, std::filesystem::path userReg);
  ~PrefixRegistry() override;

  long OpenKey(RegKey parent, const std::string& path, RegKey& result) override;
  long CreateKey(RegKey parent, const std::string& path, RegKey& result) override;
  long CloseKey(RegKey key) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override;
  long SetValue(RegKey key, const std::string& name, std::uint32_t type, const unsigned char* data,
                std::uint32_t size) override;
  long DeleteValue(RegKey key, const std::string& name) override;
  long DeleteKey(RegKey parent, const std::string& subkey) override;
  long EnumKey(RegKey key, std::uint32_t index, std::string& name) override;
  long EnumValue(RegKey key, std::uint32_t index, std::string& name, std::uint32_t& type,
                 std::string& data) override;
  long QueryInfoKey(RegKey key, RegKeyInfo& info) override;

  // Which family's registry semantics to follow, asked once, on the first call that differs:
  // the 9x family deletes a key with its subkeys and stores a REG_SZ as its text up to the
  // first zero plus one terminator, whatever size the caller gives; the NT family refuses to
  // delete a key that has subkeys and keeps the caller's size. NT when never set.
  void SetFamily(std::function<bool()> isWin9x) override;

  // Writes every hive changed since loading, all together (see FileSet: each written beside
  // itself, then renamed in place under a journal); one whose changes undid each other is left
  // alone. A hive file changed on disk since it was loaded is not overwritten: PrefixError, and
  // neither hive is.
  void Save() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vlx::prefix
