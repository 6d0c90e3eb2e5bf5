#include "app/error_box.h"

#include "platform/dialogs.h"

namespace vlx {

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

void ShowErrorBox(Context& ctx, const std::exception& error) {
  ctx.platform.dialogs->ShowMessage(ctx.state.title, ErrorBoxText(error.what()),
                                    mb::Ok | mb::IconError);
}

}  // namespace vlx
