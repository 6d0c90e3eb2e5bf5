// Side effects that have no offline equivalent (broadcasts, window changes, process starts,
// restart requests, shell verbs), recorded in order for volnrx-cli to print.
#pragma once
#include <string>
#include <vector>

namespace vlx::prefix {

class Journal {
 public:
  void Add(std::string entry) { entries_.push_back(std::move(entry)); }
  const std::vector<std::string>& Entries() const { return entries_; }
  // Entries added since the last call, for printing as they happen.
  std::vector<std::string> TakeNew() {
    std::vector<std::string> fresh(entries_.begin() + static_cast<long>(printed_), entries_.end());
    printed_ = entries_.size();
    return fresh;
  }

 private:
  std::vector<std::string> entries_;
  std::size_t printed_ = 0;
};

}  // namespace vlx::prefix
