// Dialogs offline: message boxes and pickers answered from queues that volnrx-cli fills. A
// message box with nothing queued takes its default button; a picker with nothing queued is
// cancelled.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "prefix/journal.h"

namespace vlx::prefix {

struct DialogAnswer {
  enum class Kind { File, Folder, Colour, Icon, Cancel };
  Kind kind = Kind::Cancel;
  std::string path{};        // file, folder, icon file
  std::uint32_t colour = 0;  // 0x00BBGGRR
  int index = 0;             // icon index
};

// The buttons a message box of these flags offers, in order (idanswer values).
std::vector<int> MessageBoxButtons(std::uint32_t flags);
// The answer of the default button.
int MessageBoxDefault(std::uint32_t flags);

class PrefixDialogs : public Dialogs {
 public:
  explicit PrefixDialogs(Journal& journal) : journal_(journal) {}

  void QueueAnswer(int answer) { answers_.push_back(answer); }
  void QueueDialog(DialogAnswer answer) { dialogs_.push_back(std::move(answer)); }
  // Called for every message box as it is shown.
  std::function<void(const std::string& title, const std::string& text, std::uint32_t flags)>
      onMessage;
  // Queued answers that did not fit what was shown (an answer the box does not offer, a
  // picker result for another kind of dialog), since the last call.
  std::vector<std::string> TakeProblems();

  int ShowMessage(const std::string& title, const std::string& text,
                  std::uint32_t flags) override;
  bool PickFile(const OpenFileRequest& request, std::string& path) override;
  bool PickColour(std::uint32_t& colour) override;
  bool BrowseFolder(const std::string& title, const std::string& start,
                    std::string& path) override;
  bool PickIcon(std::string& file, int& index) override;

 private:
  // The queued result for a dialog of `kind`; null when the dialog is cancelled.
  const DialogAnswer* Take(DialogAnswer::Kind kind, const char* dialog);

  Journal& journal_;
  std::deque<int> answers_;
  std::deque<DialogAnswer> dialogs_;
  DialogAnswer taken_;
  std::vector<std::string> problems_;
};

}  // namespace vlx::prefix
