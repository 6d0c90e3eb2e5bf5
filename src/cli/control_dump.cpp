#include "cli/control_dump.h"

#include <cstdio>

namespace vlx::cli {

namespace {

std::string Colour(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", value);
  return text;
}

std::string Flag(bool on) { return on ? "1" : "0"; }

bool HasText(ui::Kind kind) {
  switch (kind) {
    case ui::Kind::Bevel:
    case ui::Kind::Image:
    case ui::Kind::PopupMenu:
    case ui::Kind::ListBox:
    case ui::Kind::CheckListBox:
    case ui::Kind::ListView:
    case ui::Kind::TrackBar:
    case ui::Kind::TabControl: return false;
    default: return true;
  }
}

std::string RowText(const ui::ListControl& list, int index) {
  if (const auto* view = dynamic_cast<const ui::ListView*>(&list)) {
    std::string row = view->CellText(index, 0);
    for (const std::string& cell : view->Item(index).sub) row += " | " + cell;
    return row;
  }
  if (const auto* tabs = dynamic_cast<const ui::TabControl*>(&list)) return tabs->TabCaption(index);
  return list.Item(index).text;
}

int RowCount(const ui::ListControl& list) { return list.SelectableCount(); }

std::string Selected(const ui::ListControl& list) {
  return list.ItemIndex() < 0 ? std::string() : RowText(list, list.ItemIndex());
}

}  // namespace

std::string EscapeLineBreaks(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<std::string> DumpControl(const ui::Control& control) {
  std::vector<std::string> lines;
  auto add = [&](const std::string& prop, const std::string& value) {
    lines.push_back(control.Name() + "." + prop + "=" + EscapeLineBreaks(value));
  };
  if (const auto* box = dynamic_cast<const ui::CheckBox*>(&control)) add("checked", Flag(box->Checked()));
  if (const auto* item = dynamic_cast<const ui::MenuItem*>(&control)) add("checked", Flag(item->Checked()));
  add("enabled", Flag(control.Enabled()));
  add("visible", Flag(control.Visible()));
  if (HasText(control.kind())) add("text", control.Text());
  if (const auto* range = dynamic_cast<const ui::RangeControl*>(&control)) {
    add("position", std::to_string(range->Position()));
  }
  if (const auto* list = dynamic_cast<const ui::ListControl*>(&control)) {
    add("itemIndex", std::to_string(list->ItemIndex()));
    const int count = RowCount(*list);
    add("items", std::to_string(count));
    for (int i = 0; i < count; ++i) {
      const std::string item = "item[" + std::to_string(i) + "]";
      add(item, RowText(*list, i));
      if (control.kind() == ui::Kind::CheckListBox) {
        add(item + ".checked", Flag(list->ItemChecked(i)));
      }
    }
  }
  add("color", Colour(control.Color()));
  if (const auto* list = dynamic_cast<const ui::ListControl*>(&control)) {
    add("selected", Selected(*list));
  }
  if (const auto* speed = dynamic_cast<const ui::SpeedButton*>(&control)) {
    add("down", Flag(speed->Down()));
  }
  if (const auto* image = dynamic_cast<const ui::Image*>(&control)) {
    add("picture", image->GetPicture().origin);
  }
  return lines;
}

namespace {

void ShowControl(const ui::Control& control, int depth, std::vector<std::string>& out) {
  const std::string indent(static_cast<std::size_t>(2 * depth), ' ');
  const std::string grey = control.Enabled() ? "" : " (disabled)";
  std::string caption;  // for a person: line breaks read as blanks
  for (char c : control.Text()) {
    const bool breaks = c == '\r' || c == '\n';
    if (breaks && !caption.empty() && caption.back() == ' ') continue;
    caption += breaks ? ' ' : c;
  }
  auto line = [&](const std::string& text) { out.push_back(indent + text + grey); };
  switch (control.kind()) {
    case ui::Kind::CheckBox:
      line(std::string(static_cast<const ui::CheckBox&>(control).Checked() ? "[x] " : "[ ] ") +
           caption);
      break;
    case ui::Kind::RadioButton:
      line(std::string(static_cast<const ui::CheckBox&>(control).Checked() ? "(*) " : "( ) ") +
           caption);
      break;
    case ui::Kind::GroupBox:
      line(!caption.empty() && caption.back() == ':' ? caption : caption + ":");
      break;
    case ui::Kind::Label:
      if (!caption.empty()) line(caption);
      break;
    case ui::Kind::Edit:
    case ui::Kind::Memo:
    case ui::Kind::SpinEdit:
      line(control.Name() + ": \"" + caption + "\"");
      break;
    case ui::Kind::TrackBar: {
      const auto& range = static_cast<const ui::RangeControl&>(control);
      line(control.Name() + ": " + std::to_string(range.Position()) + " (" +
           std::to_string(range.Min()) + ".." + std::to_string(range.Max()) + ")");
      break;
    }
    case ui::Kind::ComboBox:
      line(control.Name() + ": " + static_cast<const ui::ListControl&>(control).SelectedText());
      break;
    case ui::Kind::CheckListBox:
    case ui::Kind::ListBox:
    case ui::Kind::ListView: {
      const auto& list = static_cast<const ui::ListControl&>(control);
      line(control.Name() + ":");
      for (int i = 0; i < list.Count(); ++i) {
        std::string mark = control.kind() == ui::Kind::CheckListBox
                               ? (list.ItemChecked(i) ? "[x] " : "[ ] ")
                               : (i == list.ItemIndex() ? "> " : "  ");
        out.push_back(indent + "  " + mark + EscapeLineBreaks(RowText(list, i)));
      }
      break;
    }
    default:
      break;
  }
  if (!control.Visible()) return;
  const bool nests = control.kind() == ui::Kind::GroupBox || control.kind() == ui::Kind::Panel;
  for (const ui::Control* child : control.Children()) {
    if (child->Visible()) ShowControl(*child, depth + (nests ? 1 : 0), out);
  }
}

}  // namespace

std::vector<std::string> ShowPages(const ui::TabControl& pages) {
  std::vector<std::string> out;
  for (const ui::Control* sheet : pages.Sheets()) {
    out.push_back("== " + EscapeLineBreaks(sheet->Text()) + " ==");
    for (const ui::Control* child : sheet->Children()) {
      if (child->Visible()) ShowControl(*child, 0, out);
    }
  }
  return out;
}

}  // namespace vlx::cli
