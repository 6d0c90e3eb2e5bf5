// What a rule needs of the control it is bound to, so the engine does not depend on the form.
#pragma once
#include <string>

namespace vlx {

// A control by name; `item` is the 0-based item of a check list box, -1 for the control itself.
struct ControlRef {
  std::string name;
  int item = -1;
};

class RuleControls {
 public:
  virtual ~RuleControls() = default;

  // Check box, radio button or check-list item. Setting a different state runs the control's
  // click handler, as a user's click would; setting the same state runs nothing.
  virtual bool Checked(const ControlRef& control) = 0;
  virtual void SetChecked(const ControlRef& control, bool checked) = 0;
  // Slider or spin edit (a spin edit whose text is no number reads as its minimum; a slider
  // clamps what it is given to its range).
  virtual int Position(const ControlRef& control) = 0;
  virtual void SetPosition(const ControlRef& control, int position) = 0;
  // Enabled state, for master switches; false when no control has that name.
  virtual bool SetEnabled(const std::string& name, bool enabled) = 0;
};

}  // namespace vlx
