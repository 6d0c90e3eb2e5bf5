// The User page (TabSheet7): registration data, the fault log and a command line.
#pragma once
#include <span>

#include "app/context.h"
#include "ui/form_spec.h"

namespace vlx {

std::span<const ui::ControlSpec> UserPageControls();
void BindUserPage(Context& context);

// Registration data, then the fault log; run inside the Explorer page's steps.
void LoadUserPage(Context& context);
void ApplyUserPage(Context& context);

void cbErrorFileYesClick(Context& context);
void spbtnErrorFileRunClick(Context& context);
void edtCommandLineChange(Context& context);
void edtCommandLineKeyPress(Context& context, char& key);
void btnRunCommandLineClick(Context& context);
void SeletTuOpenClick(Context& context);

}  // namespace vlx
