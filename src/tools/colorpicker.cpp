#include "tools/colorpicker.h"

#include <cstdio>

#include "app/context.h"
#include "app/image_library.h"
#include "platform/screen.h"
#include "ui/form.h"

namespace vlx {

namespace colorpicker {

namespace {

struct NamedColour {
  std::uint32_t value;
  const char* name;
};

constexpr NamedColour kNamedColours[] = {
    {0x000000, "clBlack"},   {0x000080, "clMaroon"},  {0x008000, "clGreen"},
    {0x008080, "clOlive"},   {0x800000, "clNavy"},    {0x800080, "clPurple"},
    {0x808000, "clTeal"},    {0x808080, "clGray"},    {0xC0C0C0, "clSilver"},
    {0x0000FF, "clRed"},     {0x00FF00, "clLime"},    {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},    {0xFF00FF, "clFuchsia"}, {0xFFFF00, "clAqua"},
    {0xFFFFFF, "clWhite"},   {0x1FFFFFFF, "clNone"},
};

// System colours 0x80000000 + index, index 0..24.
constexpr const char* kSystemColourNames[] = {
    "clScrollBar",      "clBackground",    "clActiveCaption",  "clInactiveCaption",
    "clMenu",           "clWindow",        "clWindowFrame",    "clMenuText",
    "clWindowText",     "clCaptionText",   "clActiveBorder",   "clInactiveBorder",
    "clAppWorkSpace",   "clHighlight",     "clHighlightText",  "clBtnFace",
    "clBtnShadow",      "clGrayText",      "clBtnText",        "clInactiveCaptionText",
    "clBtnHighlight",   "cl3DDkShadow",    "cl3DLight",        "clInfoText",
    "clInfoBk",
};
constexpr std::uint32_t kSystemColour = 0x80000000u;
constexpr std::uint32_t kSystemColourCount = std::size(kSystemColourNames);

std::uint32_t Red(std::uint32_t c) { return c & 0xFF; }
std::uint32_t Green(std::uint32_t c) { return (c >> 8) & 0xFF; }
std::uint32_t Blue(std::uint32_t c) { return (c >> 16) & 0xFF; }

}  // namespace

std::string TColorText(std::uint32_t colour) {
  for (const NamedColour& named : kNamedColours)
    if (named.value == colour) return named.name;
  if (colour >= kSystemColour && colour < kSystemColour + kSystemColourCount)
    return kSystemColourNames[colour - kSystemColour];
  char text[16];
  std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(colour));
  return text;
}

std::string HtmlText(std::uint32_t rgb) {
  char text[16];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", static_cast<unsigned>(Red(rgb)),
                static_cast<unsigned>(Green(rgb)), static_cast<unsigned>(Blue(rgb)));
  return text;
}

std::string RgbText(std::uint32_t rgb) {
  return std::to_string(Red(rgb)) + " " + std::to_string(Green(rgb)) + " " +
         std::to_string(Blue(rgb));
}

std::uint32_t ColourToRgb(Screen& screen, std::uint32_t colour) {
  return (colour & kSystemColour) ? screen.SystemColour(static_cast<int>(colour & 0xFF)) : colour;
}

}  // namespace colorpicker

namespace {

using ui::Kind;

constexpr const char* kCursorName = "SELECTCOLOR";
constexpr int kCursorX = 14, kCursorY = 10;

struct Notation {
  const char* edit;
  const char* button;
  const char* copied;  // status after a copy
};
constexpr Notation kTColor{"editTColor", "spbtnCopyTColor", "Значение TCOLOR скопировано !"};
constexpr Notation kHtml{"editHtml", "spbtnCopyHtml", "Значение HTML скопировано !"};
constexpr Notation kRgb{"editRgb", "spbtnCopyRgb", "Значение RGB скопировано !"};
constexpr Notation kNotations[] = {kTColor, kHtml, kRgb};

const ui::ControlSpec kColourPage[] = {
    {.kind = Kind::GroupBox, .name = "gbOtherColors", .parent = "TabSheet15",
     .bounds = {8, 8, 321, 249}, .caption = "Определение цвета:"},
    {.kind = Kind::Label, .name = "lbCopyStatus", .parent = "gbOtherColors",
     .bounds = {16, 16, 200, 13}, .caption = "Здесь будет отображен результат !",
     .font = ui::Font{.name = "Tahoma", .height = 11, .color = 0x000000}},
    {.kind = Kind::Panel, .name = "pnlTColor", .parent = "gbOtherColors",
     .bounds = {16, 40, 145, 105}},
    {.kind = Kind::Panel, .name = "pnlCurrentCursor", .parent = "gbOtherColors",
     .bounds = {232, 40, 65, 57}, .color = 0xFFFFFF},
    {.kind = Kind::Image, .name = "ImgCursorLoad", .parent = "pnlCurrentCursor",
     .bounds = {1, 1, 63, 55}, .transparent = true},
    {.kind = Kind::Button, .name = "btnGetColor", .parent = "gbOtherColors",
     .bounds = {232, 120, 75, 22}, .caption = "Выбрать..."},
    {.kind = Kind::Label, .name = "lbTColor", .parent = "gbOtherColors",
     .bounds = {16, 160, 45, 13}, .caption = "TCOLOR"},
    {.kind = Kind::Edit, .name = "editTColor", .parent = "gbOtherColors",
     .bounds = {72, 152, 121, 21}},
    {.kind = Kind::SpeedButton, .name = "spbtnCopyTColor", .parent = "gbOtherColors",
     .bounds = {192, 152, 25, 25}},
    {.kind = Kind::Label, .name = "lbHtml", .parent = "gbOtherColors",
     .bounds = {16, 184, 45, 13}, .caption = "HTML"},
    {.kind = Kind::Edit, .name = "editHtml", .parent = "gbOtherColors",
     .bounds = {72, 176, 121, 21}},
    {.kind = Kind::SpeedButton, .name = "spbtnCopyHtml", .parent = "gbOtherColors",
     .bounds = {192, 176, 25, 25}},
    {.kind = Kind::Label, .name = "lbRgb", .parent = "gbOtherColors",
     .bounds = {16, 208, 45, 13}, .caption = "RGB"},
    {.kind = Kind::Edit, .name = "editRgb", .parent = "gbOtherColors",
     .bounds = {72, 200, 121, 21}},
    {.kind = Kind::SpeedButton, .name = "spbtnCopyRgb", .parent = "gbOtherColors",
     .bounds = {192, 200, 25, 25}},
    {.kind = Kind::Label,
     .name = "lbDescriptionColor",
     .parent = "TabSheet15",
     .bounds = {8, 264, 300, 39},
     .caption = "Вы хотите узнать значение TCOLOR, HTML, RGB в любой \r\n"
                "точки экрана? Возьмите курсор и подведите его к \r\n"
                "определенному изображению."},
};

void SetStatus(Context& ctx, const char* text) { ctx.Get("lbCopyStatus").SetText(text); }

// The panel takes the colour and the three edits its notations.
void ShowColour(Context& ctx, std::uint32_t colour) {
  ctx.Get("pnlTColor").SetColor(colour);
  const std::uint32_t rgb = colorpicker::ColourToRgb(*ctx.platform.screen, colour);
  ctx.Get(kTColor.edit).SetText(colorpicker::TColorText(colour));
  ctx.Get(kHtml.edit).SetText(colorpicker::HtmlText(rgb));
  ctx.Get(kRgb.edit).SetText(colorpicker::RgbText(rgb));
}

Picture PickerCursor(Context& ctx) {
  return LoadLibraryCursor(*ctx.platform.library, ctx.programDir, kCursorName);
}

void Copy(Context& ctx, const Notation& notation) {
  ctx.platform.clipboard->SetText(ctx.Get(notation.edit).Text());
  SetStatus(ctx, notation.copied);
}

}  // namespace

std::span<const ui::ControlSpec> ColourPickerPageTable() { return kColourPage; }

void BindColourPickerPage(Context& ctx) {
  auto& box = ctx.Get<ui::Image>("ImgCursorLoad");
  box.onMouseMove = [&ctx](std::uint32_t shift) { ImgCursorLoadMouseMove(ctx, shift); };
  box.onMouseUp = [&ctx] { ImgCursorLoadMouseUp(ctx); };
  ctx.Get("btnGetColor").onClick = [&ctx] { btnGetColorClick(ctx); };
  ctx.Get(kTColor.button).onClick = [&ctx] { spbtnCopyTColorClick(ctx); };
  ctx.Get(kHtml.button).onClick = [&ctx] { spbtnCopyHtmlClick(ctx); };
  ctx.Get(kRgb.button).onClick = [&ctx] { spbtnCopyRgbClick(ctx); };
  for (const Notation& notation : kNotations) ctx.Get(notation.edit).onChange = [&ctx] { CheckEdits(ctx); };
}

void ImgCursorLoadMouseMove(Context& ctx, std::uint32_t shift) {
  Picture cursor = PickerCursor(ctx);
  if (cursor.Empty()) return;
  if (shift != mouse::Left) return;
  auto& box = ctx.Get<ui::Image>("ImgCursorLoad");
  box.cursor = cursor;
  Screen& screen = *ctx.platform.screen;
  int x = 0, y = 0;
  if (!screen.CursorPos(x, y)) return;
  const std::uint32_t colour = screen.PixelAt(x, y);
  if (colour == kInvalidColour) return;
  ShowColour(ctx, colour);
  box.SetPicture({});
  SetStatus(ctx, "Идет определение цвета...");
}

void ImgCursorLoadMouseUp(Context& ctx) {
  Picture cursor = PickerCursor(ctx);
  if (!cursor.Empty()) ctx.Get<ui::Image>("ImgCursorLoad").Draw(std::move(cursor), kCursorX, kCursorY);
  SetStatus(ctx, "Цвет определен !");
}

void btnGetColorClick(Context& ctx) {
  SetStatus(ctx, "Идет выбор цвета...");
  ui::Control& panel = ctx.Get("pnlTColor");
  panel.SetText("");
  std::uint32_t colour = colorpicker::ColourToRgb(*ctx.platform.screen, panel.Color());
  if (!ctx.platform.dialogs->PickColour(colour)) {
    SetStatus(ctx, "Цвет не выбран !");
    return;
  }
  ShowColour(ctx, colour);
  SetStatus(ctx, "Цвет выбран !");
}

void spbtnCopyTColorClick(Context& ctx) { Copy(ctx, kTColor); }
void spbtnCopyHtmlClick(Context& ctx) { Copy(ctx, kHtml); }
void spbtnCopyRgbClick(Context& ctx) { Copy(ctx, kRgb); }

void CheckEdits(Context& ctx) {
  for (const Notation& notation : kNotations)
    ctx.Get(notation.button).SetEnabled(!ctx.Get(notation.edit).Text().empty());
}

}  // namespace vlx
