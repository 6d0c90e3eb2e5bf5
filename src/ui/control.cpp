#include "ui/control.h"

#include <algorithm>
#include <charconv>

#include "ui/collation.h"
#include "ui/form.h"

namespace vlx::ui {

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::Form:
      return "form";
    case Kind::TabControl:
      return "tab control";
    case Kind::TabSheet:
      return "tab sheet";
    case Kind::GroupBox:
      return "group box";
    case Kind::Panel:
      return "panel";
    case Kind::Label:
      return "label";
    case Kind::Bevel:
      return "bevel";
    case Kind::Button:
      return "button";
    case Kind::SpeedButton:
      return "speed button";
    case Kind::CheckBox:
      return "check box";
    case Kind::RadioButton:
      return "radio button";
    case Kind::CheckListBox:
      return "check list box";
    case Kind::ListBox:
      return "list box";
    case Kind::ComboBox:
      return "combo box";
    case Kind::Edit:
      return "edit";
    case Kind::Memo:
      return "memo";
    case Kind::SpinEdit:
      return "spin edit";
    case Kind::TrackBar:
      return "slider";
    case Kind::ListView:
      return "list view";
    case Kind::Image:
      return "image";
    case Kind::PopupMenu:
      return "popup menu";
    case Kind::MenuItem:
      return "menu item";
  }
  return "control";
}

// ---- Control

Control::Control(Form* form, Kind kind, std::string name, Control* parent)
    : form_(form), kind_(kind), name_(std::move(name)), parent_(parent) {
  if (kind == Kind::Edit || kind == Kind::Memo || kind == Kind::SpinEdit || kind == Kind::ListBox ||
      kind == Kind::CheckListBox || kind == Kind::ComboBox || kind == Kind::ListView) {
    color_ = colour::Window;
  }
}

void Control::Notify(Prop prop) {
  if (form_ && form_->Observer()) form_->Observer()->Changed(*this, prop);
}

void Control::SetBounds(const Rect& bounds) {
  if (bounds_ == bounds) return;
  bounds_ = bounds;
  Notify(Prop::Bounds);
}

void Control::SetText(const std::string& text) {
  if (text_ == text) return;
  text_ = text;
  Notify(Prop::Caption);
}

void Control::SetFocus() {
  if (form_) form_->focused_ = this;
  Notify(Prop::Focus);
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Notify(Prop::Enabled);
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Notify(Prop::Visible);
}

void Control::SetColor(std::uint32_t color) {
  if (color_ == color) return;
  color_ = color;
  Notify(Prop::Color);
}

const Font& Control::EffectiveFont() const {
  static const Font kDefault;
  for (const Control* c = this; c; c = c->parent_) {
    if (c->font_) return *c->font_;
  }
  return kDefault;
}

void Control::SetFont(const Font& font) {
  font_ = font;
  Notify(Prop::Font);
}

void Control::SetHint(const std::string& hint) {
  if (hint_ == hint) return;
  hint_ = hint;
  Notify(Prop::Hint);
}

bool Control::Reachable() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->enabled_ || !c->visible_) return false;
  }
  return true;
}

// ---- SpeedButton

void SpeedButton::SetDown(bool down) {
  if (groupIndex_ == 0) down = false;  // a button outside a group never stays down
  if (down_ == down) return;
  down_ = down;
  Notify(Prop::Down);
  if (!down || !Parent()) return;
  for (Control* sibling : Parent()->Children()) {
    auto* other = dynamic_cast<SpeedButton*>(sibling);
    if (other && other != this && other->groupIndex_ == groupIndex_) other->SetDown(false);
  }
}

// ---- CheckBox / RadioButton

void CheckBox::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Notify(Prop::Checked);
  if (kind() == Kind::RadioButton) {
    if (!checked) return;
    if (Parent()) {
      for (Control* sibling : Parent()->Children()) {
        if (sibling != this && sibling->kind() == Kind::RadioButton) {
          static_cast<CheckBox*>(sibling)->SetChecked(false);
        }
      }
    }
  }
  Run(onClick);
}

// ---- ListControl

const ListItem& ListControl::Item(int index) const {
  if (index < 0 || index >= Count()) {
    throw UiError(Name() + ": item index " + std::to_string(index) + " out of range");
  }
  return items_[static_cast<std::size_t>(index)];
}

int ListControl::InsertPosition(const std::string& text) const {
  if (!sorted_) return Count();
  auto compare = caseSensitiveSort_ ? CompareText : CompareTextNoCase;
  // After equal items, so duplicates keep their order of arrival.
  auto it = std::upper_bound(
      items_.begin(), items_.end(), text,
      [&](const std::string& t, const ListItem& item) { return compare(t, item.text) < 0; });
  return static_cast<int>(it - items_.begin());
}

int ListControl::Add(ListItem item) {
  const int at = InsertPosition(item.text);
  items_.insert(items_.begin() + at, std::move(item));
  if (itemIndex_ >= at) ++itemIndex_;
  Notify(Prop::Items);
  return at;
}

void ListControl::Delete(int index) {
  Item(index);
  items_.erase(items_.begin() + index);
  if (itemIndex_ == index) {
    itemIndex_ = -1;
  } else if (itemIndex_ > index) {
    --itemIndex_;
  }
  Notify(Prop::Items);
}

void ListControl::Clear() {
  if (items_.empty() && itemIndex_ == -1) return;
  items_.clear();
  itemIndex_ = -1;
  Notify(Prop::Items);
}

void ListControl::SetSorted(bool sorted) {
  if (sorted_ == sorted) return;
  sorted_ = sorted;
  if (!sorted) return;
  std::vector<ListItem> present;
  present.swap(items_);
  itemIndex_ = -1;
  for (ListItem& item : present) {
    const int at = InsertPosition(item.text);
    items_.insert(items_.begin() + at, std::move(item));
  }
  Notify(Prop::Items);
}

void ListControl::SetItemIndex(int index) {
  if (index < -1 || index >= SelectableCount()) index = -1;
  if (itemIndex_ == index) return;
  itemIndex_ = index;
  Notify(Prop::ItemIndex);
}

std::string ListControl::SelectedText() const {
  return itemIndex_ < 0 ? std::string() : items_[static_cast<std::size_t>(itemIndex_)].text;
}

int ListControl::IndexOf(const std::string& text) const {
  for (int i = 0; i < Count(); ++i) {
    if (CompareTextNoCase(items_[static_cast<std::size_t>(i)].text, text) == 0) return i;
  }
  return -1;
}

void ListControl::SetItemChecked(int index, bool checked) {
  Item(index);
  ListItem& item = items_[static_cast<std::size_t>(index)];
  if (item.checked == checked) return;
  item.checked = checked;
  Notify(Prop::Items);
}

void ListControl::SetItemText(int index, const std::string& text) {
  Item(index);
  items_[static_cast<std::size_t>(index)].text = text;
  Notify(Prop::Items);
}

void ListControl::SetItemData(int index, std::int64_t data) {
  Item(index);
  items_[static_cast<std::size_t>(index)].data = data;
}

// ---- ListView

void ListView::SetColumns(std::vector<Column> columns) {
  columns_ = std::move(columns);
  Notify(Prop::Columns);
}

std::string ListView::CellText(int row, int column) const {
  const ListItem& item = Item(row);
  if (column == 0) return item.text;
  const auto sub = static_cast<std::size_t>(column - 1);
  return column > 0 && sub < item.sub.size() ? item.sub[sub] : std::string();
}

void ListView::SetCell(int row, int column, const std::string& text) {
  Item(row);
  if (column == 0) {
    SetItemText(row, text);
    return;
  }
  if (column < 0) throw UiError(Name() + ": column " + std::to_string(column) + " out of range");
  auto& sub = MutableItems()[static_cast<std::size_t>(row)].sub;
  const auto at = static_cast<std::size_t>(column - 1);
  if (sub.size() <= at) sub.resize(at + 1);
  sub[at] = text;
  Notify(Prop::Items);
}

void ListView::SetRowIcon(int row, Picture icon) {
  Item(row);
  MutableItems()[static_cast<std::size_t>(row)].icon = std::move(icon);
  Notify(Prop::Items);
}

// ---- TabControl

std::vector<Control*> TabControl::Sheets() const {
  std::vector<Control*> sheets;
  for (Control* child : Children()) {
    if (child->kind() == Kind::TabSheet) sheets.push_back(child);
  }
  return sheets;
}

int TabControl::TabCount() const {
  const auto sheets = Sheets();
  return sheets.empty() ? Count() : static_cast<int>(sheets.size());
}

std::string TabControl::TabCaption(int index) const {
  const auto sheets = Sheets();
  if (sheets.empty()) return Item(index).text;
  if (index < 0 || index >= static_cast<int>(sheets.size())) {
    throw UiError(Name() + ": page index " + std::to_string(index) + " out of range");
  }
  return sheets[static_cast<std::size_t>(index)]->Text();
}

Control* TabControl::ActivePage() const {
  const auto sheets = Sheets();
  const int index = ItemIndex();
  return index >= 0 && index < static_cast<int>(sheets.size())
             ? sheets[static_cast<std::size_t>(index)]
             : nullptr;
}

// ---- Edit / Memo

void Edit::SetText(const std::string& text) {
  if (Text() == text) return;
  Control::SetText(text);
  Run(onChange);
}

std::vector<std::string> Edit::Lines() const {
  std::vector<std::string> lines;
  const std::string& text = Text();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

void Edit::SetLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  SetText(text);
}

// ---- RangeControl

void RangeControl::SetRange(int min, int max) {
  if (max < min) max = min;
  min_ = min;
  max_ = max;
  Notify(Prop::Range);
  if (kind() == Kind::TrackBar) SetPosition(position_);
}

int RangeControl::Clamp(int value) const {
  if (kind() == Kind::SpinEdit && min_ == max_) return value;  // no range set: any number
  return std::clamp(value, min_, max_);
}

int RangeControl::Position() const {
  if (kind() != Kind::SpinEdit) return position_;
  const std::string& text = Text();
  int value = 0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  while (first != last && *first == ' ') ++first;
  if (first != last && *first == '+') ++first;
  auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last) return min_;
  return Clamp(value);
}

void RangeControl::SetPosition(int position) {
  position = Clamp(position);
  if (kind() == Kind::SpinEdit) {
    SetText(std::to_string(position));
    return;
  }
  if (position_ == position) return;
  position_ = position;
  Notify(Prop::Position);
  Run(onChange);
}

void RangeControl::SetText(const std::string& text) {
  if (Text() == text) return;
  Control::SetText(text);
  if (kind() == Kind::SpinEdit) Run(onChange);
}

// ---- Image

void Image::SetPicture(Picture picture) {
  picture_ = std::move(picture);
  canvas_.clear();
  // An empty picture keeps the size the last one gave.
  if (autoSize && picture_.width > 0 && picture_.height > 0)
    SetBounds({Bounds().left, Bounds().top, picture_.width, picture_.height});
  Notify(Prop::Picture);
}

void Image::Draw(Picture picture, int x, int y) {
  canvas_.push_back({std::move(picture), x, y});
  Notify(Prop::Canvas);
}

// ---- MenuItem

void MenuItem::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Notify(Prop::Checked);
}

}  // namespace vlx::ui
