#include "library/runtime/windows/message_box.h"

#include <utility>

namespace vx {

namespace {

MessageHandler &Handler() {
  static MessageHandler handler;
  return handler;
}

int LowestButton(int buttons) {
  for (int bit = 1; bit <= BUTTON_HELP; bit <<= 1) {
    if (buttons & bit)
      return bit;
  }
  return BUTTON_OK;
}

} // namespace

MessageHandler SetMessageHandler(MessageHandler handler) {
  return std::exchange(Handler(), std::move(handler));
}

int MESSAGE(const QString &text, const QString &caption, MessageIcon icon, int buttons, int defaultButton) {
  MessageRequest request{text, caption, icon, buttons, defaultButton};
  if (Handler())
    return Handler()(request);
  return defaultButton ? defaultButton : LowestButton(buttons);
}

} // namespace vx
