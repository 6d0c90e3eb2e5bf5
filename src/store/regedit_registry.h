// Registry scripts against the registry port: a key tree written out, a script carried out.
#pragma once
#include <string>
#include <vector>

#include "platform/registry.h"
#include "store/regedit_text.h"

namespace vlx::regedit {

// Appends the key and everything below it, depth first, in the order the registry enumerates
// them. False when the key does not exist.
bool ExportKey(Registry& registry, const std::string& fullName, Writer& out);
// The same as entries.
bool ExportKey(Registry& registry, const std::string& fullName, std::vector<Entry>& out);

// Carries out the entries in order: keys created, trees deleted, values set and removed.
// Deleting what is not there is no error. Raises StoreError naming what could not be written.
void Apply(Registry& registry, const Script& script);

}  // namespace vlx::regedit
