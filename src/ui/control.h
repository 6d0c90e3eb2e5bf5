// The control model: portable controls with the event semantics the program relies on.
//
// Setters are the one path for every change. They notify the form's observer and run the
// handlers the platform runs for a programmatic change (a check box's click, an edit's change,
// a slider's change). User actions (src/ui/user_action.h) go through the same setters and add
// the handlers the platform runs only for input (a list selection, a page switch, a key press).
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/picture.h"

namespace vlx::ui {

class Form;

enum class Kind {
  Form,
  TabControl,
  TabSheet,
  GroupBox,
  Panel,
  Label,
  Bevel,
  Button,
  SpeedButton,
  CheckBox,
  RadioButton,
  CheckListBox,
  ListBox,
  ComboBox,
  Edit,
  Memo,
  SpinEdit,
  TrackBar,
  ListView,
  Image,
  PopupMenu,
  MenuItem
};
const char* KindName(Kind kind);

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

struct Font {
  std::string name = "Tahoma";
  int height = 11;  // pixels
  bool bold = false;
  int charset = 204;                  // RUSSIAN_CHARSET
  std::uint32_t color = 0x80000008u;  // clWindowText
  bool operator==(const Font&) const = default;
};

// Colour values 0x00BBGGRR; the top bit names a system colour.
namespace colour {
constexpr std::uint32_t BtnFace = 0x8000000Fu;
constexpr std::uint32_t Window = 0x80000005u;
constexpr std::uint32_t Silver = 0x00C0C0C0u;
}  // namespace colour

// What changed, for observers that mirror the model (the native GUI layer).
enum class Prop {
  Caption,
  Bounds,
  Enabled,
  Visible,
  Color,
  Font,
  Hint,
  Checked,
  Items,
  ItemIndex,
  Position,
  Range,
  Down,
  Picture,
  Columns,
  Canvas,
  Focus
};

class FormObserver {
 public:
  virtual ~FormObserver() = default;
  virtual void Changed(class Control& control, Prop prop) = 0;
};

using Handler = std::function<void()>;
using KeyHandler = std::function<void(char& key)>;

class Control {
 public:
  Control(Form* form, Kind kind, std::string name, Control* parent);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Kind kind() const { return kind_; }
  const std::string& Name() const { return name_; }
  Control* Parent() const { return parent_; }
  Form* OwnerForm() const { return form_; }
  const std::vector<Control*>& Children() const { return children_; }

  const Rect& Bounds() const { return bounds_; }
  void SetBounds(const Rect& bounds);
  // Caption of captioned controls, text of edits and combo boxes.
  const std::string& Text() const { return text_; }
  virtual void SetText(const std::string& text);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  std::uint32_t Color() const { return color_; }
  void SetColor(std::uint32_t color);
  // Own font, or the nearest ancestor's (ParentFont).
  const Font& EffectiveFont() const;
  void SetFont(const Font& font);
  bool HasOwnFont() const { return font_.has_value(); }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  // Moves the keyboard focus to this control.
  void SetFocus();
  int HelpContext() const { return help_; }
  void SetHelpContext(int help) { help_ = help; }
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int order) { tabOrder_ = order; }
  // Name of the popup menu shown on a right click; empty for none.
  const std::string& PopupMenuName() const { return popupMenu_; }
  void SetPopupMenuName(std::string name) { popupMenu_ = std::move(name); }

  // Enabled and visible here and on every ancestor: a person can reach it.
  bool Reachable() const;

  Handler onClick;
  Handler onChange;
  Handler onDblClick;
  KeyHandler onKeyPress;

 protected:
  void Notify(Prop prop);
  void Run(const Handler& handler) {
    if (handler) handler();
  }

 private:
  friend class Form;
  Form* form_;
  Kind kind_;
  std::string name_;
  Control* parent_;
  std::vector<Control*> children_;
  Rect bounds_;
  std::string text_;
  bool enabled_ = true;
  bool visible_ = true;
  std::uint32_t color_ = colour::BtnFace;
  std::optional<Font> font_;
  std::string hint_;
  int help_ = 0;
  int tabOrder_ = -1;
  std::string popupMenu_;
};

// Group box, panel, bevel, label, tab sheet: only the common properties.
class Plain : public Control {
 public:
  using Control::Control;
  bool transparent = false;
};

class Button : public Control {
 public:
  using Control::Control;
  bool isDefault = false;  // Enter on the form presses it (unless another button has the focus)
  bool cancel = false;     // Escape on the form presses it
};

class SpeedButton : public Control {
 public:
  using Control::Control;
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int group) { groupIndex_ = group; }
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool allow) { allowAllUp_ = allow; }
  bool Down() const { return down_; }
  // Down in a group raises the other buttons of the same group on the same parent.
  void SetDown(bool down);

 private:
  int groupIndex_ = 0;
  bool allowAllUp_ = false;
  bool down_ = false;
};

// Check box and radio button.
class CheckBox : public Control {
 public:
  using Control::Control;
  bool Checked() const { return checked_; }
  // A different state runs onClick; the same state runs nothing. A radio button that becomes
  // checked unchecks its sibling radio buttons (their handlers do not run); a radio button
  // that is unchecked from code runs nothing, as the platform's radio buttons do.
  void SetChecked(bool checked);

 private:
  bool checked_ = false;
};
using RadioButton = CheckBox;

struct ListItem {
  std::string text;
  bool checked = false;            // check list box
  std::int64_t data = 0;           // value carried with the item (a colour, a handle, ...)
  std::vector<std::string> sub{};  // list view: the texts of columns 2, 3, ...
  int imageIndex = -1;             // list view: index into the small image list
  Picture icon{};                  // list view: the row's icon
};

// List box, check list box, combo box, list view, tab control (tabs): a list of items with at
// most one selected.
class ListControl : public Control {
 public:
  using Control::Control;

  const std::vector<ListItem>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  const ListItem& Item(int index) const;
  // Adds at the end, or at its place in collation order when Sorted; returns the index.
  int Add(ListItem item);
  int Add(const std::string& text) { return Add(ListItem{text}); }
  void Delete(int index);
  void Clear();
  bool Sorted() const { return sorted_; }
  // Sorting re-orders the present items too.
  void SetSorted(bool sorted);
  // Case-sensitive (lstrcmp) rather than case-insensitive (lstrcmpi) collation when sorted.
  void SetCaseSensitiveSort(bool caseSensitive) { caseSensitiveSort_ = caseSensitive; }

  int ItemIndex() const { return itemIndex_; }
  // How many entries can be selected: the items, or a page control's sheets.
  virtual int SelectableCount() const { return Count(); }
  // -1 clears; an index out of range clears too. Runs no handler.
  void SetItemIndex(int index);
  // Text of the selected item, empty when none.
  std::string SelectedText() const;
  int IndexOf(const std::string& text) const;

  bool ItemChecked(int index) const { return Item(index).checked; }
  // Check list boxes: changes the state, runs no handler (onClickCheck is for the user).
  void SetItemChecked(int index, bool checked);
  void SetItemText(int index, const std::string& text);
  void SetItemData(int index, std::int64_t data);

  Handler onClickCheck;  // check list box: the user toggled an item
  // List box: a mouse button was pressed over the list; the item under the pointer, -1 below
  // the last item.
  std::function<void(int item)> onMouseDown;

 protected:
  std::vector<ListItem>& MutableItems() { return items_; }

 private:
  int InsertPosition(const std::string& text) const;
  std::vector<ListItem> items_;
  int itemIndex_ = -1;
  bool sorted_ = false;
  bool caseSensitiveSort_ = false;
};

class ComboBox : public ListControl {
 public:
  using ListControl::ListControl;
  bool OwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool ownerDraw) { ownerDraw_ = ownerDraw; }
  // A drop-down list shows the selected item's text as its text.
  bool DropDownList() const { return dropDownList_; }
  void SetDropDownList(bool list) { dropDownList_ = list; }

 private:
  bool ownerDraw_ = false;
  bool dropDownList_ = true;
};

struct Column {
  std::string caption{};
  int width = 50;
};

class ListView : public ListControl {
 public:
  using ListControl::ListControl;
  const std::vector<Column>& Columns() const { return columns_; }
  void SetColumns(std::vector<Column> columns);
  // Text of column `column` (0 = the item's caption) of row `row`; empty when absent.
  std::string CellText(int row, int column) const;
  void SetCell(int row, int column, const std::string& text);
  void SetRowIcon(int row, Picture icon);

 private:
  std::vector<Column> columns_;
};

// Page control (its tabs are its TabSheet children) or a plain tab set (its tabs are items).
class TabControl : public ListControl {
 public:
  using ListControl::ListControl;
  int TabCount() const;
  int SelectableCount() const override { return TabCount(); }
  std::string TabCaption(int index) const;
  std::vector<Control*> Sheets() const;
  // The shown sheet (page control), or null.
  Control* ActivePage() const;
  int ActiveIndex() const { return ItemIndex(); }
  void SetActiveIndex(int index) { SetItemIndex(index); }
};

// Edit and memo.
class Edit : public Control {
 public:
  using Control::Control;
  // A different text runs onChange.
  void SetText(const std::string& text) override;
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  // Memo: the text's lines (CR LF separated).
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& lines);

 private:
  bool readOnly_ = false;
};

// Slider (trackbar) and spin edit: a position within [min, max].
class RangeControl : public Control {
 public:
  using Control::Control;
  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetRange(int min, int max);
  // Slider: the position. Spin edit: the value its text reads as (a text that is no number
  // reads as Min; a number outside the range reads clamped unless Min == Max).
  int Position() const;
  // Clamps into the range; a different position runs onChange (a spin edit's text changes).
  void SetPosition(int position);
  void SetText(const std::string& text) override;  // spin edit: typed text, runs onChange

  // Slider drawing and keyboard steps; the native control takes them when it is made.
  int frequency = 1;
  int pageSize = 0;
  bool ticks = true;

 private:
  int Clamp(int value) const;
  int min_ = 0;
  int max_ = 10;
  int position_ = 0;
};

class Image : public Control {
 public:
  using Control::Control;
  const Picture& GetPicture() const { return picture_; }
  void SetPicture(Picture picture);
  bool stretch = false;
  bool transparent = false;
  bool autoSize = false;  // a picture with a size gives the image that size
  Picture cursor;  // the mouse pointer over the image
  // The mouse moved over the image, or anywhere while a button pressed on it is held (the image
  // holds the capture); `shift` is the buttons and keys held. A button released after a press.
  std::function<void(std::uint32_t shift)> onMouseMove;
  Handler onMouseUp;
  struct Drawing {
    Picture picture;
    int x = 0;
    int y = 0;
  };
  // Pictures drawn onto the image's canvas since its picture was last set.
  const std::vector<Drawing>& Canvas() const { return canvas_; }
  void Draw(Picture picture, int x, int y);

 private:
  Picture picture_;
  std::vector<Drawing> canvas_;
};

// Popup menu (its items are MenuItem children) and menu item.
class MenuItem : public Control {
 public:
  using Control::Control;
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

 private:
  bool checked_ = false;
};

}  // namespace vlx::ui
