#include "core/glasslbl.h"

#include "core/command_line.h"

namespace glasslbl {

Action ChooseAction(const std::vector<std::string>& arguments) {
  // An empty first argument ("") is no argument to act on either.
  if (arguments.empty() || arguments.front().empty()) return Action::Usage;
  const std::string& first = arguments.front();
  if (first == "/hide" || first == "/HIDE") return Action::Hide;
  if (first == "/visible" || first == "/VISIBLE") return Action::Show;
  return Action::Nothing;
}

Window FindDesktopListView(DesktopPort& desktop) {
  Window window = desktop.FindTopWindow("ProgMan");
  for (int depth = 0; depth < 2 && window != kNoWindow; ++depth) window = desktop.FirstChild(window);
  if (window == kNoWindow || desktop.ClassNameOf(window) != "SysListView32") return kNoWindow;
  return window;
}

void SetCaptionBackground(DesktopPort& desktop, Window listView, std::uint32_t colour) {
  const auto text = desktop.Send(listView, kLvmGetTextColor, 0, 0);
  desktop.Send(listView, kLvmSetTextColor, 0, text);
  const auto background = desktop.Send(listView, kLvmGetTextBkColor, 0, 0);
  desktop.Send(listView, kLvmSetTextBkColor, 0, background);
  desktop.Send(listView, kLvmSetTextBkColor, 0, static_cast<std::intptr_t>(colour));
  const auto count = desktop.Send(listView, kLvmGetItemCount, 0, 0);
  desktop.Send(listView, kLvmRedrawItems, 0, count - 1);
  desktop.Repaint(listView);
}

std::string UsageText() {
  return "Transparent background - приложение для скрытия/отображения фона\r"
         "текста элементов рабочего стола.\r"
         "\r"
         "Программа должна быть запущена с одним из следующих параметров:\r"
         "\r"
         "  /HIDE\t\tСкрыть фон\r"
         "  /VISIBLE\tПоказать фон\r"
         "\r"
         "© Все права защищены.";
}

int RunGlasslbl(DesktopPort& desktop, std::string_view commandLine) {
  const Action action = ChooseAction(ProgramArguments(commandLine));
  if (action == Action::Hide) {
    if (const Window listView = FindDesktopListView(desktop))
      SetCaptionBackground(desktop, listView, kClrNone);
  }
  if (action == Action::Show) {
    // The colour is read before the list view is looked for.
    const std::uint32_t colour = desktop.SystemColour(kColorBackground);
    if (const Window listView = FindDesktopListView(desktop))
      SetCaptionBackground(desktop, listView, colour);
  }
  if (action == Action::Usage) desktop.ShowMessage(UsageText(), kTitle, kMbOk);
  return 0;
}

}  // namespace glasslbl
