#include "prefix/prefix_dialogs.h"

#include <algorithm>
#include <cstdio>

namespace vlx::prefix {

namespace {

const char* KindName(DialogAnswer::Kind kind) {
  switch (kind) {
    case DialogAnswer::Kind::File: return "pick-file";
    case DialogAnswer::Kind::Folder: return "pick-folder";
    case DialogAnswer::Kind::Colour: return "pick-colour";
    case DialogAnswer::Kind::Icon: return "pick-icon";
    case DialogAnswer::Kind::Cancel: return "cancel-dialog";
  }
  return "?";
}

std::string Hex8(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

}  // namespace

std::vector<int> MessageBoxButtons(std::uint32_t flags) {
  switch (flags & mb::TypeMask) {
    case mb::OkCancel: return {idanswer::Ok, idanswer::Cancel};
    case mb::AbortRetryIgnore: return {idanswer::Abort, idanswer::Retry, idanswer::Ignore};
    case mb::YesNoCancel: return {idanswer::Yes, idanswer::No, idanswer::Cancel};
    case mb::YesNo: return {idanswer::Yes, idanswer::No};
    case mb::RetryCancel: return {idanswer::Retry, idanswer::Cancel};
    default: return {idanswer::Ok};
  }
}

int MessageBoxDefault(std::uint32_t flags) {
  const std::vector<int> buttons = MessageBoxButtons(flags);
  std::size_t at = 0;
  if ((flags & mb::DefButtonMask) == mb::DefButton2) at = 1;
  if ((flags & mb::DefButtonMask) == mb::DefButton3) at = 2;
  return buttons[std::min(at, buttons.size() - 1)];  // a default beyond the last: the first
}

std::vector<std::string> PrefixDialogs::TakeProblems() {
  std::vector<std::string> taken;
  taken.swap(problems_);
  return taken;
}

int PrefixDialogs::ShowMessage(const std::string& title, const std::string& text,
                               std::uint32_t flags) {
  if (onMessage) onMessage(title, text, flags);
  if (answers_.empty()) return MessageBoxDefault(flags);
  const int answer = answers_.front();
  answers_.pop_front();
  const std::vector<int> buttons = MessageBoxButtons(flags);
  if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end()) {
    problems_.push_back("the message box \"" + title + "\" has no button for the queued answer");
    return MessageBoxDefault(flags);
  }
  return answer;
}

const DialogAnswer* PrefixDialogs::Take(DialogAnswer::Kind kind, const char* dialog) {
  if (dialogs_.empty()) {
    journal_.Add(std::string(dialog) + " cancelled");
    return nullptr;
  }
  const DialogAnswer& next = dialogs_.front();
  if (next.kind != kind && next.kind != DialogAnswer::Kind::Cancel) {
    problems_.push_back(std::string(dialog) + " opened, but the next queued dialog answer is " +
                        KindName(next.kind));
    journal_.Add(std::string(dialog) + " cancelled");
    return nullptr;
  }
  taken_ = next;
  dialogs_.pop_front();
  if (taken_.kind == DialogAnswer::Kind::Cancel) {
    journal_.Add(std::string(dialog) + " cancelled");
    return nullptr;
  }
  return &taken_;
}

bool PrefixDialogs::PickFile(const OpenFileRequest&, std::string& path) {
  const DialogAnswer* answer = Take(DialogAnswer::Kind::File, "GetOpenFileName");
  if (!answer) return false;
  path = answer->path;
  journal_.Add("GetOpenFileName " + path);
  return true;
}

bool PrefixDialogs::PickColour(std::uint32_t& colour) {
  const DialogAnswer* answer = Take(DialogAnswer::Kind::Colour, "ChooseColor");
  if (!answer) return false;
  colour = answer->colour;
  journal_.Add("ChooseColor " + Hex8(colour));
  return true;
}

bool PrefixDialogs::BrowseFolder(const std::string&, const std::string& start,
                                 std::string& path) {
  if (!start.empty()) journal_.Add("SHBrowseForFolder BFFM_SETSELECTION " + start);
  const DialogAnswer* answer = Take(DialogAnswer::Kind::Folder, "SHBrowseForFolder");
  if (!answer) return false;
  path = answer->path;
  journal_.Add("SHBrowseForFolder " + path);
  return true;
}

bool PrefixDialogs::PickIcon(std::string& file, int& index) {
  const DialogAnswer* answer = Take(DialogAnswer::Kind::Icon, "PickIconDlg");
  if (!answer) return false;
  file = answer->path;
  index = answer->index;
  journal_.Add("PickIconDlg " + file + "," + std::to_string(index));
  return true;
}

}  // namespace vlx::prefix
