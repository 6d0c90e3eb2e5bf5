// The declarative description of a control: one row of a page's form table.
//
//   {.kind = Kind::CheckBox, .name = "cbRegeditOff", .parent = "gbGeneral1",
//    .bounds = {8, 16, 300, 17}, .caption = "...", .help = 14}
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "ui/control.h"

namespace vlx::ui {

struct ControlSpec {
  Kind kind = Kind::Panel;
  std::string_view name{};
  std::string_view parent{};  // empty: the form itself
  Rect bounds{};
  std::string_view caption{};  // caption, or text of edits, memos and spin edits
  int help = 0;                // help topic number; 0 takes the nearest ancestor's
  bool checked = false;        // check box, radio button, menu item; speed button: down
  bool enabled = true;
  bool visible = true;
  std::vector<std::string_view> items{};  // lists, combo boxes, tab sets
  std::vector<Column> columns{};          // list views
  int min = 0, max = 10, position = 0;    // sliders, spin edits
  int frequency = 1;                      // sliders: a tick every `frequency` steps
  int pageSize = 0;                       // sliders: PageUp/PageDown step; 0 keeps the default
  bool ticks = true;                      // sliders: false draws none
  bool sorted = false;                    // list boxes, list views
  bool ownerDraw = false;                 // combo boxes
  bool readOnly = false;                  // edits, memos
  int groupIndex = 0;                     // speed buttons
  bool allowAllUp = false;                // speed buttons
  bool transparent = false;               // labels, images
  bool stretch = false;                   // images
  bool autoSize = false;                  // images: sized by their picture
  std::optional<std::uint32_t> color{};
  std::optional<Font> font{};
  std::string_view hint{};
  std::string_view popupMenu{};
  int tabOrder = -1;
  bool isDefault = false;  // buttons: pressed by Enter
  bool cancel = false;     // buttons: pressed by Escape
};

}  // namespace vlx::ui
