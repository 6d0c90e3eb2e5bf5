// Errors of the offline machine image: unreadable files, refused writes, bad images.
#pragma once
#include <stdexcept>

namespace vlx::prefix {

class PrefixError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace vlx::prefix
