#include "cli/image_claim.h"

#include "cli/commands.h"
#include "prefix/wine_server.h"

namespace vlx::cli {

namespace {
// The folder as a shell word.
std::string ShellWord(const std::string& text) {
  if (!text.empty() && text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                              "0123456789/._-+,:=@%") == std::string::npos)
    return text;
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}
}  // namespace

ImageClaim::ImageClaim(std::string image, ImageUse use) : image_(std::move(image)) {
  if (use == ImageUse::Read) {
    if (prefix::WineServerRunning(image_))
      PrintError("volnrx-cli: warning: a wineserver is running for " + image_ +
                 "; what this shows may be stale (the server writes its registry when it ends)");
    return;
  }
  CheckNoWineServer("nothing was changed");
  lock_.emplace(image_, std::chrono::milliseconds(kImageLockWaitMs));
}

void ImageClaim::CheckBeforeSave() const {
  CheckNoWineServer("the registry was not saved");
}

void ImageClaim::CheckNoWineServer(const std::string& consequence) const {
  if (!prefix::WineServerRunning(image_)) return;
  throw prefix::ImageBusy("a wineserver is running for " + image_ +
                          ", and it would overwrite the registry when it ends; stop it first "
                          "with: WINEPREFIX=" + ShellWord(image_) + " wineserver -k; " +
                          consequence);
}

}  // namespace vlx::cli
