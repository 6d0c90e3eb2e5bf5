// The work that runs when the user switches to a page.
#pragma once
#include <span>

#include "app/context.h"

namespace vlx {

struct PageWork {
  int page;  // tab position, from 1
  void (*work)(Context& ctx);
};

std::span<const PageWork> PageSwitchTable();
// pgSelectedPageChange: the work of the page now shown, if it has any.
void pgSelectedPageChange(Context& ctx);

}  // namespace vlx
