// One named step of a sequence the main window runs (load-all, apply-all).
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace vlx {

class Context;

struct Step {
  std::string name;
  std::function<void(Context&)> run;
  // Runs only when this holds; always when empty.
  bool (*when)(const Context& ctx) = nullptr;
};

using Sequence = std::vector<Step>;

}  // namespace vlx
