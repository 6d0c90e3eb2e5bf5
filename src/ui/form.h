// A form: the root control that owns its controls and finds them by name.
#pragma once
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/form_spec.h"

namespace vlx::ui {

class UiError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A user action the control cannot take (wrong kind, disabled, no such item); raised before any
// handler runs, so nothing has changed.
class ActionRefused : public UiError {
 public:
  using UiError::UiError;
};

class Form : public Control {
 public:
  explicit Form(std::string name);
  ~Form() override;

  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  void SetClientSize(int width, int height);

  // Creates the controls of a table in order (a parent before its children). Raises UiError
  // on a duplicate name or an unknown parent.
  void Build(std::span<const ControlSpec> specs);
  Control& Add(const ControlSpec& spec);

  // Names compare without regard to case, as the form's FindComponent does.
  Control* Find(const std::string& name) const;
  Control& Get(const std::string& name) const;
  // Raises UiError when absent or of another class.
  template <class T>
  T& Get(const std::string& name) const {
    Control& control = Get(name);
    if (auto* typed = dynamic_cast<T*>(&control)) return *typed;
    throw UiError("control " + name + " is a " + KindName(control.kind()));
  }
  // Every control of the form in creation order (the form itself excluded).
  const std::vector<Control*>& Controls() const { return order_; }

  // Help number of the control or of its nearest ancestor that has one; 0 for none.
  static int HelpContextFor(const Control& control);

  void SetObserver(FormObserver* observer) { observer_ = observer; }
  FormObserver* Observer() const { return observer_; }

  // The control that last took the keyboard focus from code; null before any did.
  Control* FocusedControl() const { return focused_; }

  // Shown/closed state of the window.
  bool Showing() const { return showing_; }
  void SetShowing(bool showing) { showing_ = showing; }

 private:
  std::unique_ptr<Control> Create(Kind kind, const std::string& name, Control* parent);
  static std::string Key(const std::string& name);

  int clientWidth_ = 0;
  int clientHeight_ = 0;
  std::vector<std::unique_ptr<Control>> owned_;
  std::vector<Control*> order_;
  std::map<std::string, Control*> byName_;
  FormObserver* observer_ = nullptr;
  bool showing_ = false;
  Control* focused_ = nullptr;
  friend class Control;
};

}  // namespace vlx::ui
