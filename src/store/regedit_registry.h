// Registry scripts against the registry port: a key tree written out, a script carried out.
#pragma once
#include <string>
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
// them. False when the key does not exist.
bool ExportKey(Registry& registry, const std::string& fullName, Writer& out);
// The same as entries.
bool ExportKey(Registry& registry, const std::string& fullName, std::vector<Entry>& out);

// Carries out the entries in order: keys created, trees deleted, values set and removed.
// Deleting what is not there is no error. Raises StoreError naming what could not be written.
void Apply(Registry& registry, const Script& script);

}  // namespace vlx::regedit
