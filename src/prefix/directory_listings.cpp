#include "prefix/directory_listings.h"

#include <dirent.h>

#include <ctime>
#include <memory>
#include <string_view>

namespace vlx::prefix {

namespace {

std::vector<std::string> List(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(dir.c_str()), ::closedir);
  if (!listing) return names;
  while (const dirent* entry = ::readdir(listing.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  return names;
}

// File times advance in steps of the kernel's clock tick, so a folder changed a moment ago
// could change again and keep its time; one unchanged for longer cannot.
bool Settled(const FileIdentity& folder) {
  constexpr long long kMargin = 200'000'000;  // ns, far above any clock tick
  timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const long long nowNs = now.tv_sec * 1'000'000'000LL + now.tv_nsec;
  return folder.modified < nowNs - kMargin && folder.changed < nowNs - kMargin;
}

}  // namespace

const std::vector<std::string>& DirectoryListings::Names(const std::filesystem::path& dir) {
  const FileIdentity folder = IdentityOf(dir);
  const auto kept = kept_.find(dir);
  if (kept != kept_.end() && folder.exists && kept->second.folder == folder) return kept->second.names;
  if (kept != kept_.end()) kept_.erase(kept);
  std::vector<std::string> names = List(dir);
  // Listed before the check: a change while listing leaves the folder unsettled or changed.
  if (folder.exists && Settled(folder) && IdentityOf(dir) == folder) {
    Listing& listing = kept_[dir];
    listing = Listing{folder, std::move(names)};
    return listing.names;
  }
  fresh_ = std::move(names);
  return fresh_;
}

}  // namespace vlx::prefix
