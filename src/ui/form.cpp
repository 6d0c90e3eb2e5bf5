#include "ui/form.h"

#include <cctype>

namespace vlx::ui {

Form::Form(std::string name) : Control(this, Kind::Form, std::move(name), nullptr) {}

Form::~Form() = default;

void Form::SetClientSize(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  Notify(Prop::Bounds);
}

std::string Form::Key(const std::string& name) {
  std::string key = name;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

std::unique_ptr<Control> Form::Create(Kind kind, const std::string& name, Control* parent) {
  switch (kind) {
    case Kind::Button:
      return std::make_unique<Button>(this, kind, name, parent);
    case Kind::SpeedButton:
      return std::make_unique<SpeedButton>(this, kind, name, parent);
    case Kind::CheckBox:
    case Kind::RadioButton:
      return std::make_unique<CheckBox>(this, kind, name, parent);
    case Kind::CheckListBox:
    case Kind::ListBox:
      return std::make_unique<ListControl>(this, kind, name, parent);
    case Kind::ComboBox:
      return std::make_unique<ComboBox>(this, kind, name, parent);
    case Kind::ListView:
      return std::make_unique<ListView>(this, kind, name, parent);
    case Kind::TabControl:
      return std::make_unique<TabControl>(this, kind, name, parent);
    case Kind::Edit:
    case Kind::Memo:
      return std::make_unique<Edit>(this, kind, name, parent);
    case Kind::SpinEdit:
    case Kind::TrackBar:
      return std::make_unique<RangeControl>(this, kind, name, parent);
    case Kind::Image:
      return std::make_unique<Image>(this, kind, name, parent);
    case Kind::MenuItem:
      return std::make_unique<MenuItem>(this, kind, name, parent);
    case Kind::TabSheet:
    case Kind::GroupBox:
    case Kind::Panel:
    case Kind::Label:
    case Kind::Bevel:
    case Kind::PopupMenu:
      return std::make_unique<Plain>(this, kind, name, parent);
    case Kind::Form:
      break;
  }
  throw UiError("a form cannot hold a form: " + name);
}

Control& Form::Add(const ControlSpec& spec) {
  const std::string name(spec.name);
  if (name.empty()) throw UiError("a control without a name on " + Name());
  if (Find(name)) throw UiError("duplicate control " + name + " on " + Name());
  Control* parent = this;
  if (!spec.parent.empty()) {
    parent = Find(std::string(spec.parent));
    if (!parent) throw UiError("unknown parent " + std::string(spec.parent) + " of " + name);
  }
  if (spec.kind == Kind::TabSheet && parent->kind() != Kind::TabControl) {
    throw UiError("tab sheet " + name + " outside a tab control");
  }
  if (spec.kind == Kind::MenuItem && parent->kind() != Kind::PopupMenu &&
      parent->kind() != Kind::MenuItem) {
    throw UiError("menu item " + name + " outside a popup menu");
  }

  std::unique_ptr<Control> owned = Create(spec.kind, name, parent);
  Control& c = *owned;
  c.bounds_ = spec.bounds;
  c.text_ = std::string(spec.caption);
  c.enabled_ = spec.enabled;
  c.visible_ = spec.visible;
  if (spec.color) c.color_ = *spec.color;
  if (spec.font) c.font_ = *spec.font;
  c.hint_ = std::string(spec.hint);
  c.help_ = spec.help;
  c.tabOrder_ = spec.tabOrder;
  c.popupMenu_ = std::string(spec.popupMenu);

  if (auto* list = dynamic_cast<ListControl*>(&c)) {
    list->SetSorted(spec.sorted);
    for (std::string_view item : spec.items) list->Add(std::string(item));
  }
  if (auto* combo = dynamic_cast<ComboBox*>(&c)) combo->SetOwnerDraw(spec.ownerDraw);
  if (auto* view = dynamic_cast<ListView*>(&c)) view->SetColumns(spec.columns);
  if (auto* range = dynamic_cast<RangeControl*>(&c)) {
    range->SetRange(spec.min, spec.max);
    range->frequency = spec.frequency;
    range->pageSize = spec.pageSize;
    range->ticks = spec.ticks;
    range->SetPosition(spec.position);
    if (spec.kind == Kind::SpinEdit && !spec.caption.empty()) c.text_ = std::string(spec.caption);
  }
  if (auto* edit = dynamic_cast<Edit*>(&c)) edit->SetReadOnly(spec.readOnly);
  if (auto* image = dynamic_cast<Image*>(&c)) {
    image->stretch = spec.stretch;
    image->autoSize = spec.autoSize;
    image->transparent = spec.transparent;
  }
  if (auto* plain = dynamic_cast<Plain*>(&c)) plain->transparent = spec.transparent;
  if (auto* speed = dynamic_cast<SpeedButton*>(&c)) {
    speed->SetGroupIndex(spec.groupIndex);
    speed->SetAllowAllUp(spec.allowAllUp);
    speed->SetDown(spec.checked);
  }
  if (auto* button = dynamic_cast<Button*>(&c)) {
    button->isDefault = spec.isDefault;
    button->cancel = spec.cancel;
  }
  if (auto* check = dynamic_cast<CheckBox*>(&c)) check->SetChecked(spec.checked);
  if (auto* item = dynamic_cast<MenuItem*>(&c)) item->SetChecked(spec.checked);

  parent->children_.push_back(&c);
  if (spec.kind == Kind::TabSheet) {
    auto* tabs = static_cast<TabControl*>(parent);
    if (tabs->ItemIndex() < 0) tabs->SetItemIndex(0);  // the first sheet shows until told
  }
  byName_[Key(name)] = &c;
  order_.push_back(&c);
  owned_.push_back(std::move(owned));
  return c;
}

void Form::Build(std::span<const ControlSpec> specs) {
  for (const ControlSpec& spec : specs) Add(spec);
}

Control* Form::Find(const std::string& name) const {
  auto it = byName_.find(Key(name));
  return it == byName_.end() ? nullptr : it->second;
}

Control& Form::Get(const std::string& name) const {
  Control* control = Find(name);
  if (!control) throw UiError("no control " + name + " on " + Name());
  return *control;
}

int Form::HelpContextFor(const Control& control) {
  for (const Control* c = &control; c; c = c->Parent()) {
    if (c->HelpContext() != 0) return c->HelpContext();
  }
  return 0;
}

}  // namespace vlx::ui
