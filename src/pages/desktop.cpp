#include "pages/desktop.h"

#include <array>
#include <stdexcept>

#include "pages/startmenu.h"
#include "platform/dialogs.h"
#include "rules/form_controls.h"
#include "rules/rule_engine.h"
#include "store/store_routine.h"
#include "text/integer_text.h"

namespace vlx {

namespace {

using ui::Kind;

constexpr RegKey HKLM = regroot::LocalMachine;
constexpr RegKey HKCU = regroot::CurrentUser;
const char* const kPolicyKey = kStartMenuPolicyKey;
const char* const kColorsKey = "\\Control Panel\\Colors";
const char* const kDefaultBackground = "0 128 128";

struct Channel {
  const char* slider;
  const char* label;
};
constexpr std::array<Channel, 3> kChannels = {{{"trbRed", "lbRed"},
                                               {"trbGreen", "lbGreen"},
                                               {"trbBlue", "lbBlue"}}};

ui::Font CaptionFont() {
  ui::Font font;
  font.name = "Arial";
  font.color = 0x00FFFFFF;
  return font;
}

ui::ControlSpec Slider(std::string_view name, int left, int help) {
  return {.kind = Kind::TrackBar, .name = name, .parent = "gbDesktopColor",
          .bounds = {left, 48, 30, 78}, .help = help, .min = 0, .max = 255,
          .ticks = false};
}

ui::ControlSpec SmallLabel(std::string_view name, int left, int top, std::string_view caption) {
  return {.kind = Kind::Label, .name = name, .parent = "gbDesktopColor",
          .bounds = {left, top, 36, 13}, .caption = caption};
}

const std::vector<ui::ControlSpec>& Controls() {
  static const std::vector<ui::ControlSpec> specs = {
      {.kind = Kind::GroupBox, .name = "gbDesktopServis", .parent = "TabSheet5",
       .bounds = {8, 4, 321, 160}, .caption = "Общие:"},
      {.kind = Kind::CheckListBox, .name = "clbDesctopSetting", .parent = "gbDesktopServis",
       .bounds = {8, 16, 305, 138}, .help = 39,
       .items = {"Переименование \"Корзины\"", "Элементы на \"Рабочем столе\"",
                 "Значок \"Internet Explorer\"", "Значок \"Сетевое окружение\"",
                 "Значок \"Мои документы\"", "Подсказки элементов \"Рабочего стола\"",
                 "Версия Windows на \"Рабочем столе\"", "Устранить перерисовку значков"}},
      {.kind = Kind::CheckBox, .name = "cbScreenSaverActive", .parent = "TabSheet5",
       .bounds = {16, 168, 90, 17}, .caption = "Заставка", .help = 40},
      {.kind = Kind::Label, .name = "lbInterval", .parent = "TabSheet5",
       .bounds = {130, 170, 52, 13}, .caption = "Интервал:"},
      {.kind = Kind::SpinEdit, .name = "seTimeScreenSaverOn", .parent = "TabSheet5",
       .bounds = {186, 166, 50, 21}, .caption = "0", .help = 41, .min = 0, .max = 0},
      {.kind = Kind::Label, .name = "lbSsMin", .parent = "TabSheet5",
       .bounds = {242, 170, 30, 13}, .caption = "мин."},
      {.kind = Kind::GroupBox, .name = "gbDesktopColor", .parent = "TabSheet5",
       .bounds = {8, 192, 321, 134}, .caption = "Фон \"Рабочего стола\""},
      {.kind = Kind::Panel, .name = "panDesktop", .parent = "gbDesktopColor",
       .bounds = {8, 18, 170, 80}},
      {.kind = Kind::Label, .name = "lbTextInDesktop", .parent = "panDesktop",
       .bounds = {8, 8, 150, 28}, .caption = "Текст элементов \"Рабочего \r\nстола\"...",
       .transparent = true, .font = CaptionFont()},
      SmallLabel("lbRgbValue", 190, 18, "Red"),
      SmallLabel("Label1", 232, 18, "Green"),
      SmallLabel("Label2", 274, 18, "Blue"),
      SmallLabel("lbRed", 194, 34, "R"),
      SmallLabel("lbGreen", 236, 34, "G"),
      SmallLabel("lbBlue", 278, 34, "B"),
      Slider("trbRed", 190, 42),
      Slider("trbGreen", 232, 43),
      Slider("trbBlue", 274, 44),
      {.kind = Kind::Button, .name = "btnColorSelect", .parent = "gbDesktopColor",
       .bounds = {8, 104, 75, 25}, .caption = "Вы&брать...", .help = 46},
      {.kind = Kind::CheckBox, .name = "cbDesktopColorDefault", .parent = "gbDesktopColor",
       .bounds = {90, 108, 97, 17}, .caption = "По умолчанию", .help = 45},
  };
  return specs;
}

TweakRule Flag(int item, RegKey root, std::string key, std::string value) {
  return Rule({"clbDesctopSetting", item}, root, std::move(key), std::move(value), PolicyFlag{});
}

ui::RangeControl& SliderOf(Context& context, const Channel& channel) {
  return context.Get<ui::RangeControl>(channel.slider);
}

// While code sets the sliders, their user-move handlers are detached, as the platform sends no
// change notification for a position set by the program.
class QuietSliders {
 public:
  explicit QuietSliders(Context& context) : context_(context) {
    for (std::size_t i = 0; i < kChannels.size(); ++i)
      std::swap(saved_[i], SliderOf(context_, kChannels[i]).onChange);
  }
  ~QuietSliders() {
    for (std::size_t i = 0; i < kChannels.size(); ++i)
      std::swap(saved_[i], SliderOf(context_, kChannels[i]).onChange);
  }
  QuietSliders(const QuietSliders&) = delete;
  QuietSliders& operator=(const QuietSliders&) = delete;

 private:
  Context& context_;
  std::array<ui::Handler, 3> saved_;
};

std::uint32_t SliderColour(Context& context) {
  std::uint32_t colour = 0;
  for (std::size_t i = 0; i < kChannels.size(); ++i)
    colour |= static_cast<std::uint32_t>(SliderOf(context, kChannels[i]).Position()) << (8 * i);
  return colour;
}

void SetColourControlsEnabled(Context& context, bool enabled) {
  for (const auto& channel : kChannels) context.Get(channel.slider).SetEnabled(enabled);
  context.Get("btnColorSelect").SetEnabled(enabled);
}

// The policy that hides the desktop's items, read as the shell reads it at its start.
const TweakRule& NoDesktopRule() {
  static const TweakRule rule = Flag(1, HKLM, kPolicyKey, "NoDesktop");
  return rule;
}

// Whether the desktop shows its items: the shell's desktop list view, or where there is none to
// find (no shell desktop, as under Wine or on an offline image) the stored policy.
bool DesktopItemsShown(Context& context) {
  TopWindows& windows = *context.platform.windows;
  const WindowHandle list = FindDesktopListView(windows);
  if (list != 0) return windows.IsWindowVisible(list);
  return StoredCheckState(NoDesktopRule(), context.platform) != LoadState::Unchecked;
}

}  // namespace

std::span<const ui::ControlSpec> DesktopPageControls() { return Controls(); }

const std::vector<TweakRule>& DesktopRules() {
  static const std::vector<TweakRule> rules = {
      Flag(2, HKLM, kPolicyKey, "NoInternetIcon"),
      Flag(3, HKLM, kPolicyKey, "NoNetHood"),
      StartMenuScrollRule(),
      Flag(4, HKCU, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Documents",
           "HideMyDocsFolder"),
      Rule({"clbDesctopSetting", 0}, regroot::ClassesRoot,
       "\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\ShellFolder", "Attributes",
       TwoStateValue{.storage = Storage::Binary,
                     .on = StoredValue::Number(0x20000170),
                     .off = StoredValue::Number(0x20000140),
                     .referenceIsOn = false,
                     .compareBits = 0x10}),  // the shell offers renaming by this bit
      Rule({"clbDesctopSetting", 5}, HKCU,
       "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "ShowInfoTip",
       TwoStateValue{.storage = Storage::Dword,
                     .on = StoredValue::Number(1),
                     .off = StoredValue::Number(0),
                     .referenceIsOn = false,
                     .absentKey = LoadState::Checked,
                     .absentValue = LoadState::Checked,
                     .fallback = LoadState::Checked}),
      Rule({"clbDesctopSetting", 6}, HKCU, "\\Control Panel\\Desktop", "PaintDesktopVersion",
       TwoStateValue{.storage = Storage::Text,
                     .on = StoredValue::Text("1"),
                     .off = StoredValue::Text("0"),
                     .referenceIsOn = true,
                     .absentKey = LoadState::Unchanged}),
      Rule({"clbDesctopSetting", 7}, HKLM, "\\Software\\Microsoft\\Windows\\CurrentVersion\\explorer",
       "Max Cached Icons",
       MarkerValue{.storage = Storage::Text,
                   .marker = StoredValue::Text("1024"),
                   .askFirst = true}),
  };
  return rules;
}

const std::vector<TweakRule>& ScreenSaverRules() {
  static const std::vector<TweakRule> rules = {
      Rule({"cbScreenSaverActive"}, 0, "", "",
       SystemParameter{spi::GetScreenSaveActive, spi::SetScreenSaveActive, true, 1,
                       spif::UpdateIniFile}),
      Rule({"seTimeScreenSaverOn"}, 0, "", "",
       SystemParameter{spi::GetScreenSaveTimeout, spi::SetScreenSaveTimeout, false, 60,
                       spif::UpdateIniFile}),
  };
  return rules;
}

void BindDesktopPage(Context& context) {
  context.Get("cbScreenSaverActive").onClick = [&context] { cbScreenSaverActiveClick(context); };
  context.Get("cbDesktopColorDefault").onClick = [&context] {
    cbDesktopColorDefaultClick(context);
  };
  context.Get("btnColorSelect").onClick = [&context] { btnColorSelectClick(context); };
  for (const auto& channel : kChannels)
    context.Get(channel.slider).onChange = [&context, channel] {
      SliderChange(context, channel.slider, channel.label);
    };
}

WindowHandle FindDesktopListView(TopWindows& windows) {
  const WindowHandle progman = windows.FindTopWindow("ProgMan", nullptr);
  const WindowHandle view = windows.RelatedWindow(progman, gw::Child);
  const WindowHandle list = windows.RelatedWindow(view, gw::Child);
  if (list == 0 || windows.ClassNameOf(list, 40) != "SysListView32") return 0;
  return list;
}

void LoadDesktopItems(Context& context) {
  context.Get<ui::ListControl>("clbDesctopSetting").SetItemChecked(1, DesktopItemsShown(context));
}

// Only a box the user changed writes the policy and shows or hides the desktop.
void ApplyDesktopItems(Context& context) {
  const bool shown = context.Get<ui::ListControl>("clbDesctopSetting").ItemChecked(1);
  if (shown == DesktopItemsShown(context)) return;
  TopWindows& windows = *context.platform.windows;
  RunRegistryRule(*context.platform.registry, HKLM, [&](RegStore& store) {
    if (shown) {
      if (store.OpenPath(kPolicyKey, false) && store.HasValue("NoDesktop"))
        store.RemoveValue("NoDesktop");
    } else {
      if (!store.OpenPath(kPolicyKey, true)) return;
      const unsigned char flag[4] = {1, 0, 0, 0};
      store.WriteBytes("NoDesktop", flag, sizeof flag);
    }
    windows.ShowWindow(windows.FindTopWindow(nullptr, "Program Manager"),
                       shown ? sw::Show : sw::Hide);
  });
}

void LoadScreenSaver(Context& context) {
  LoadFormRules(context.frmMain, context.platform, ScreenSaverRules());
}

void ApplyScreenSaver(Context& context) {
  ApplyFormRules(context.frmMain, context.platform, ScreenSaverRules());
}

void LoadDesktopPage(Context& context) {
  LoadDesktopItems(context);
  LoadFormRules(context.frmMain, context.platform, DesktopRules());
  LoadScreenSaver(context);
}

void ApplyDesktopPage(Context& context) {
  ApplyDesktopItems(context);
  ApplyFormRules(context.frmMain, context.platform, DesktopRules());
  ApplyScreenSaver(context);
}

void ParseBackground(Context& context, const std::string& text) {
  std::array<std::string, 3> fields;
  std::size_t field = 0;
  for (char c : text) {
    if (c == ' ')
      ++field;
    else if (field < fields.size())
      fields[field] += c;  // a fourth field and beyond are dropped
  }
  QuietSliders quiet(context);
  for (std::size_t i = 0; i < kChannels.size(); ++i) {
    const auto number = TryParseInteger(fields[i]);
    if (!number) throw std::invalid_argument("'" + fields[i] + "' is not a valid integer value");
    SliderOf(context, kChannels[i]).SetPosition(*number);
  }
}

void ShowSliders(Context& context) {
  for (const auto& channel : kChannels)
    context.Get(channel.label).SetText(std::to_string(SliderOf(context, channel).Position()));
  context.Get("panDesktop").SetColor(SliderColour(context));
}

void LoadDesktopColour(Context& context) {
  RunRegistryRule(*context.platform.registry, HKCU, [&](RegStore& store) {
    if (!store.OpenPath(kColorsKey, false)) return;
    ParseBackground(context, store.ReadText("Background"));
    for (const auto& channel : kChannels)
      context.Get(channel.label).SetText(std::to_string(SliderOf(context, channel).Position()));
    const bool isDefault = store.ReadText("Background") == kDefaultBackground;
    context.Get<ui::CheckBox>("cbDesktopColorDefault").SetChecked(isDefault);
    SetColourControlsEnabled(context, !isDefault);
    context.Get("panDesktop").SetColor(SliderColour(context));
  });
}

void ApplyDesktopColour(Context& context) {
  const std::string text = std::to_string(SliderOf(context, kChannels[0]).Position()) + " " +
                           std::to_string(SliderOf(context, kChannels[1]).Position()) + " " +
                           std::to_string(SliderOf(context, kChannels[2]).Position());
  RunRegistryRule(*context.platform.registry, HKCU, [&](RegStore& store) {
    if (store.OpenPath(kColorsKey, true)) store.WriteText("Background", text);
  });
}

void cbScreenSaverActiveClick(Context& context) {
  const bool active = context.Get<ui::CheckBox>("cbScreenSaverActive").Checked();
  ui::Control& minutes = context.Get("seTimeScreenSaverOn");
  minutes.SetEnabled(active);
  minutes.SetColor(active ? ui::colour::Window : ui::colour::Silver);
}

void cbDesktopColorDefaultClick(Context& context) {
  if (context.Get<ui::CheckBox>("cbDesktopColorDefault").Checked()) {
    ParseBackground(context, kDefaultBackground);
    ShowSliders(context);
    SetColourControlsEnabled(context, false);
    return;
  }
  SetColourControlsEnabled(context, true);
  RunRegistryRule(*context.platform.registry, HKCU, [&](RegStore& store) {
    if (!store.OpenPath(kColorsKey, false)) return;
    ParseBackground(context, store.ReadText("Background"));
    ShowSliders(context);
  });
}

void btnColorSelectClick(Context& context) {
  std::uint32_t colour = context.Get("panDesktop").Color();
  if (!context.platform.dialogs->PickColour(colour)) return;
  context.Get("panDesktop").SetColor(colour);
  QuietSliders quiet(context);
  for (std::size_t i = 0; i < kChannels.size(); ++i) {
    const int part = static_cast<int>((colour >> (8 * i)) & 0xFF);
    SliderOf(context, kChannels[i]).SetPosition(part);
    context.Get(kChannels[i].label).SetText(std::to_string(part));
  }
}

void SliderChange(Context& context, const std::string& slider, const std::string& label) {
  context.Get(label).SetText(std::to_string(context.Get<ui::RangeControl>(slider).Position()));
  context.Get("panDesktop").SetColor(SliderColour(context));
}

}  // namespace vlx
