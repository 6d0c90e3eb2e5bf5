// System parameters of a machine image: kept where Windows keeps them, as REG_SZ numbers under
// HKEY_CURRENT_USER\Control Panel\Desktop; announcements go to the journal.
#pragma once
#include <map>

#include "platform/registry.h"
#include "platform/system_parameters.h"
#include "prefix/journal.h"

namespace vlx::prefix {

class PrefixParameters : public SystemParameters {
 public:
  PrefixParameters(Registry& registry, Journal& journal) : registry_(registry), journal_(journal) {}

  // Screen saver active (stored "1"/"0") and timeout in seconds; an absent or unreadable value
  // reads as 0. A value set without SPIF_UPDATEINIFILE holds for this session only.
  bool Get(std::uint32_t action, std::uint32_t& value) override;
  bool Set(std::uint32_t action, std::uint32_t param, std::uint32_t flags) override;

 private:
  Registry& registry_;
  Journal& journal_;
  std::map<std::uint32_t, std::uint32_t> session_;  // by set action
};

}  // namespace vlx::prefix
