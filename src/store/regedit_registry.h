// Registry scripts against the registry port: a key tree written out, a script carried out.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "store/regedit_text.h"

namespace vlx::regedit {

// An open key closed at the end of its scope; get() is 0 when it could not be opened.
class OpenedKey {
 public:
  OpenedKey(Registry& registry, RegKey parent, const std::string& path, bool create);
  // By its full name ("HKEY_CURRENT_USER\Software"); a root itself is not closed.
  OpenedKey(Registry& registry, const std::string& fullName, bool create);
  ~OpenedKey();
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  RegKey get() const { return key_; }

 private:
  Registry& registry_;
  RegKey key_ = 0;
  bool owned_ = false;
};

// Appends the key and everything below it, depth first, in the order the registry enumerates
// them. False when the key does not exist. A subkey that cannot be opened by the name its parent
// lists (one the ANSI code page cannot spell) is left out and named in `missed`.
bool ExportKey(Registry& registry, const std::string& fullName, Writer& out,
               std::vector<std::string>* missed = nullptr);
// The same as entries.
bool ExportKey(Registry& registry, const std::string& fullName, std::vector<Entry>& out,
               std::vector<std::string>* missed = nullptr);

// A value by name and the bytes of its data.
struct ValueSize {
  std::string name;
  std::size_t size = 0;
};
// Why a registry with `limits` cannot keep the key `keyName` (last name `leaf`) holding exactly
// `values`, the first of them the one being set: the bound exceeded and its figure; empty when
// it can. The others count toward the key's size only, so a key read with a value beyond the
// bounds still takes changes that fit.
std::string LimitRefusal(const RegLimits& limits, const std::string& keyName,
                         std::string_view leaf, const std::vector<ValueSize>& values);

// Makes the script fit `registry` before anything is written: HKEY_DYN_DATA sections are left
// out (Windows builds that root at run time; `notes` says so once), HKEY_CURRENT_CONFIG goes to
// the current hardware profile under HKEY_LOCAL_MACHINE\Config where the registry has no such
// root but that profile. Raises StoreError naming the first root the registry lacks, or the
// first key or value beyond the registry's limits, with the figure.
void Fit(Registry& registry, Script& script, std::vector<std::string>& notes);

// Carries out the entries in order: keys created, trees deleted, values set and removed.
// Deleting what is not there is no error. Raises StoreError naming what could not be written.
void Apply(Registry& registry, const Script& script);

}  // namespace vlx::regedit
