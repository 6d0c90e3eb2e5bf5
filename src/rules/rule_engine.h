// The one engine that loads and applies tweak rules of every kind.
#pragma once
#include <span>
#include <string>

#include "platform/platform.h"
#include "rules/rule_controls.h"
#include "rules/tweak_rule.h"

namespace vlx {

// What a rule reaches: the ports of the machine and the controls of the window.
struct RuleContext {
  Platform& platform;
  RuleControls& controls;
};

// Sets the rule's control from the store; a failure puts the control into the rule's fallback
// state and goes no further.
void LoadRule(const TweakRule& rule, RuleContext& context);
// Writes the control's state back; a failure ends the routine silently. A check rule whose stored
// setting already loads as the control's state leaves it untouched.
void ApplyRule(const TweakRule& rule, RuleContext& context);

// The state the load of a check rule (policy flag, marker, two-state, verb) gives its control from
// what is stored now, its fallback on a read failure; Unchanged for other kinds and wherever the
// load leaves the control as it is.
LoadState StoredCheckState(const TweakRule& rule, Platform& platform);

void LoadRules(std::span<const TweakRule> rules, RuleContext& context);
void ApplyRules(std::span<const TweakRule> rules, RuleContext& context);

// GetSpecialFolderPath: the special folder's file-system path (at most MAX_PATH - 1
// characters); on failure `path` is left as it was.
bool GetSpecialFolderPath(Shell& shell, int csidl, std::string& path);

// The path of a FolderPresence rule's folder, asked of the shell afresh; empty when the shell
// cannot name the special folder.
std::string FolderPresencePath(const FolderPresence& folder, Platform& platform);

}  // namespace vlx
