// The Internet Explorer page (TabSheet11): two browser restrictions and the window title.
#pragma once
#include <span>
#include <vector>

#include "app/context.h"
#include "rules/tweak_rule.h"
#include "ui/form_spec.h"

namespace vlx {

std::span<const ui::ControlSpec> InternetPageControls();
void BindInternetPage(Context& context);

// The two restriction flags, then the window title.
void LoadInternetPage(Context& context);
void ApplyInternetPage(Context& context);

const std::vector<TweakRule>& InternetRules();

// The title text shown while the browser's own default is in force.
inline constexpr const char* kDefaultBrowserTitle = "Microsoft Internet Explorer";

void LoadWindowTitle(Context& context);
void ApplyWindowTitle(Context& context);
void cbIETextDefaultClick(Context& context);

}  // namespace vlx
