// Load-all and apply-all: the fixed orders in which the main window runs the page steps.
#pragma once
#include "app/context.h"
#include "app/step.h"

namespace vlx {

// The orders, one visible table each.
Sequence LoadAllSteps();
Sequence ApplyAllSteps();

// Runs the steps in order. No handler of its own: an error escaping a step ends the sequence
// there and leaves for the caller.
void RunSequence(Context& ctx, const Sequence& steps);
void LoadAllPages(Context& ctx);
void ApplyAllPages(Context& ctx);

}  // namespace vlx
