// volnrx-cli --prefix DIR [COMMAND ...] | -f SCRIPT: the program's start-up over the machine
// image with the window model, then the commands, acting as a person would.
#include <charconv>
#include <cstdio>

#include "app/error_box.h"
#include "app/main_form.h"
#include "app/main_window.h"
#include "cli/commands.h"
#include "cli/control_dump.h"
#include "ui/user_action.h"

namespace vlx::cli {

namespace {

std::string ButtonsText(std::uint32_t flags) {
  static const char* const kNames[] = {"", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};
  std::string text;
  for (int button : prefix::MessageBoxButtons(flags)) {
    if (!text.empty()) text += ' ';
    text += kNames[button];
  }
  const std::vector<int> buttons = prefix::MessageBoxButtons(flags);
  const int byDefault = prefix::MessageBoxDefault(flags);
  if (buttons.size() > 1 && byDefault != buttons.front()) {
    text += std::string(" (default ") + kNames[byDefault] + ")";
  }
  return text;
}

std::string IconText(std::uint32_t flags) {
  switch (flags & mb::IconMask) {
    case mb::IconError: return "error";
    case mb::IconQuestion: return "question";
    case mb::IconWarning: return "warning";
    case mb::IconInformation: return "information";
    default: return "none";
  }
}

// A message box's text as printed: its line breaks (CR, CR LF or LF) as line breaks.
std::string TextLines(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i] == '\r' ? '\n' : text[i];
  }
  return out;
}

int ParseNumber(const ScriptCommand& command, const std::string& text, int base = 10) {
  int value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    first += 2;
  }
  auto [end, error] = std::from_chars(first, last, value, base);
  if (error != std::errc() || end != last || first == last) {
    throw ScriptError(command.line, "'" + text + "' is no number");
  }
  return value;
}

bool ParseOnOff(const ScriptCommand& command, const std::string& text) {
  if (text == "on") return true;
  if (text == "off") return false;
  throw ScriptError(command.line, "'" + text + "' is neither on nor off");
}

class Runner {
 public:
  Runner(Host host, const std::string& programDir)
      : host_(host), ctx_(host.platform, programDir) {
    host_.dialogs.onMessage = [this](const std::string& title, const std::string& text,
                                          std::uint32_t flags) {
      PrintJournal();
      const std::string line = "message: " + EscapeLineBreaks(title) + " | " + TextLines(text) +
                               " | " + ButtonsText(flags) + " | " + IconText(flags);
      // No one sees a box in a headless run: it goes to both streams, and an error box (an
      // error that escaped the program's handlers) makes the run a failed one.
      Print(line);
      PrintError(line);
      if ((flags & mb::IconMask) == mb::IconError) errorShown_ = true;
    };
  }
  ~Runner() { host_.dialogs.onMessage = nullptr; }

  int Run(const std::vector<ScriptCommand>& commands) {
    if (!StartProgram(ctx_)) {  // another copy runs: it was told, this one changes nothing
      PrintJournal();
      PrintError(kAnotherCopy);
      return 1;
    }
    ShowMainWindow(ctx_);
    PrintJournal();
    if (MainWindowClosed(ctx_)) {  // the start-up checks ended the program (a library missing)
      PrintError("volnrx-cli: the program ended at its start; no command was run");
      return 1;
    }
    // Every line is checked against its control before the first one runs.
    for (const ScriptCommand& command : commands) {
      try {
        Check(command);
      } catch (const ui::UiError& error) {
        return Fail(ScriptError(command.line, error.what()));
      } catch (const ScriptError& error) {
        return Fail(error);
      }
    }
    for (const ScriptCommand& command : commands) {
      if (MainWindowClosed(ctx_)) break;
      try {
        Execute(command);
        PrintJournal();
        for (const std::string& problem : host_.dialogs.TakeProblems()) {
          throw ScriptError(command.line, problem);
        }
      } catch (const ui::UiError& error) {
        PrintJournal();
        return Fail(ScriptError(command.line, error.what()));
      } catch (const ScriptError& error) {
        PrintJournal();
        return Fail(error);
      }
    }
    return errorShown_ ? 1 : 0;
  }

 private:
  static int Fail(const ScriptError& error) {
    PrintError("volnrx-cli: line " + std::to_string(error.line) + ": " + error.reason);
    return 2;
  }

  void PrintJournal() {
    for (const std::string& entry : host_.journal.TakeNew()) Print("journal: " + entry);
  }

  ui::Control& Find(const std::string& name) {
    if (ui::Control* control = ctx_.frmMain.Find(name)) return *control;
    if (ui::Control* control = ctx_.frmChange.Find(name)) return *control;
    throw ui::UiError("no control named " + name);
  }

  // What can be known of a command before any runs: its control, that control's kind, the
  // item it names, its numbers and words.
  void Check(const ScriptCommand& c) {
    const std::string& verb = c.verb;
    const auto& a = c.args;
    if (verb == "page") {
      const int page = ParseNumber(c, a[0]);
      if (page < 1 || page > page::Count) throw ScriptError(c.line, "no page " + a[0]);
    } else if (verb == "click" || verb == "type") {
      ui::RequireAction(Find(a[0]), verb);
    } else if (verb == "check") {
      ParseOnOff(c, a[1]);
      ui::RequireAction(Find(a[0]), verb);
    } else if (verb == "item") {
      const int index = ParseNumber(c, a[1]);
      ParseOnOff(c, a[2]);
      ui::RequireAction(Find(a[0]), verb, index);
    } else if (verb == "select" || verb == "set") {
      const int number = ParseNumber(c, a[1]);
      ui::RequireAction(Find(a[0]), verb, number);
    } else if (verb == "key") {
      if (a[1] != "enter" && a[1] != "escape") throw ScriptError(c.line, "unknown key '" + a[1] + "'");
      Find(a[0]);
    } else if (verb == "menu") {
      if (Find(a[0]).kind() != ui::Kind::MenuItem) throw ScriptError(c.line, a[0] + " is no menu item");
    } else if (verb == "dump" && !a.empty()) {
      Find(a[0]);
    }
  }

  // A person's action on a control already found: its handlers run as the window runs them, an
  // error escaping them goes to the error box.
  template <class Action>
  void Act(Action&& action) {
    RunEvent(ctx_, std::forward<Action>(action));
  }

  void Execute(const ScriptCommand& c) {
    const std::string& verb = c.verb;
    const auto& a = c.args;
    if (verb == "page") {
      const int page = ParseNumber(c, a[0]);
      if (page < 1 || page > page::Count) throw ScriptError(c.line, "no page " + a[0]);
      Act([&] { ui::UserSelect(ctx_.Get("pgSelectedPage"), page - 1); });
    } else if (verb == "click") {
      ui::Control& target = Find(a[0]);
      Act([&] { ui::UserClick(target); });
    } else if (verb == "check") {
      ui::Control& target = Find(a[0]);
      const bool on = ParseOnOff(c, a[1]);
      Act([&] { ui::UserCheck(target, on); });
    } else if (verb == "item") {
      ui::Control& target = Find(a[0]);
      const int index = ParseNumber(c, a[1]);
      const bool on = ParseOnOff(c, a[2]);
      Act([&] { ui::UserCheckItem(target, index, on); });
    } else if (verb == "select") {
      ui::Control& target = Find(a[0]);
      const int index = ParseNumber(c, a[1]);
      Act([&] { ui::UserSelect(target, index); });
    } else if (verb == "type") {
      ui::Control& target = Find(a[0]);
      Act([&] { ui::UserType(target, a[1]); });
    } else if (verb == "key") {
      char key = 0;
      if (a[1] == "enter") key = 13;
      if (a[1] == "escape") key = 27;
      if (key == 0) throw ScriptError(c.line, "unknown key '" + a[1] + "'");
      ui::Control& target = Find(a[0]);
      Act([&] { ui::UserKey(target, key); });
    } else if (verb == "set") {
      ui::Control& target = Find(a[0]);
      const int position = ParseNumber(c, a[1]);
      Act([&] { ui::UserSet(target, position); });
    } else if (verb == "menu") {
      ui::Control& item = Find(a[0]);
      if (item.kind() != ui::Kind::MenuItem) throw ScriptError(c.line, a[0] + " is no menu item");
      Act([&] { ui::UserClick(item); });
    } else if (verb == "apply") {
      Act([&] { ui::UserClick(ctx_.Get("btnSave")); });
    } else if (verb == "ok") {
      Act([&] { ui::UserClick(ctx_.Get("btnSaveAndClose")); });
    } else if (verb == "cancel") {
      Act([&] { ui::UserClick(ctx_.Get("btnClose")); });
    } else if (verb == "answer") {
      QueueAnswer(c, a[0]);
    } else if (verb == "pick-file" || verb == "pick-folder") {
      prefix::DialogAnswer answer;
      answer.kind = verb == "pick-file" ? prefix::DialogAnswer::Kind::File
                                        : prefix::DialogAnswer::Kind::Folder;
      answer.path = a[0];
      host_.dialogs.QueueDialog(answer);
    } else if (verb == "pick-colour") {
      prefix::DialogAnswer answer;
      answer.kind = prefix::DialogAnswer::Kind::Colour;
      answer.colour = static_cast<std::uint32_t>(ParseNumber(c, a[0], 16));
      host_.dialogs.QueueDialog(answer);
    } else if (verb == "pick-icon") {
      const std::size_t comma = a[0].rfind(',');
      if (comma == std::string::npos) throw ScriptError(c.line, "pick-icon needs FILE,INDEX");
      prefix::DialogAnswer answer;
      answer.kind = prefix::DialogAnswer::Kind::Icon;
      answer.path = a[0].substr(0, comma);
      answer.index = ParseNumber(c, a[0].substr(comma + 1));
      host_.dialogs.QueueDialog(answer);
    } else if (verb == "cancel-dialog") {
      host_.dialogs.QueueDialog(prefix::DialogAnswer{});
    } else if (verb == "dump") {
      Dump(a.empty() ? std::string() : a[0]);
    } else if (verb == "show") {
      for (const std::string& line : ShowPages(ctx_.Get<ui::TabControl>("pgSelectedPage"))) {
        Print(line);
      }
    }
  }

  void QueueAnswer(const ScriptCommand& c, const std::string& word) {
    int answer = 0;
    if (word == "yes") answer = idanswer::Yes;
    if (word == "no") answer = idanswer::No;
    if (word == "cancel") answer = idanswer::Cancel;
    if (word == "ok") answer = idanswer::Ok;
    if (answer == 0) throw ScriptError(c.line, "unknown answer '" + word + "'");
    host_.dialogs.QueueAnswer(answer);
  }

  void Dump(const std::string& name) {
    if (!name.empty()) {
      for (const std::string& line : DumpControl(Find(name))) Print(line);
      return;
    }
    for (const ui::Form* form : {&ctx_.frmMain, &ctx_.frmChange}) {
      for (const ui::Control* control : form->Controls()) {
        for (const std::string& line : DumpControl(*control)) Print(line);
      }
    }
  }

  Host host_;
  Context ctx_;
  bool errorShown_ = false;
};

}  // namespace

int RunProgram(Host host, const std::string& programDir,
               const std::vector<ScriptCommand>& commands) {
  Runner runner(host, programDir);
  return runner.Run(commands);
}

}  // namespace vlx::cli
