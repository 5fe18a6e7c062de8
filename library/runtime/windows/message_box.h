#pragma once

#include <QString>
#include <functional>

namespace vx {

// Buttons of MESSAGE, as a mask when offered and as a single value when chosen.
enum MessageButton : int {
  BUTTON_OK = 1,
  BUTTON_YES = 2,
  BUTTON_NO = 4,
  BUTTON_ABORT = 8,
  BUTTON_RETRY = 16,
  BUTTON_IGNORE = 32,
  BUTTON_CANCEL = 64,
  BUTTON_HELP = 128,
};

enum class MessageIcon { None, Exclamation, Hand, Question, Asterisk };

struct MessageRequest {
  QString text;
  QString caption;
  MessageIcon icon = MessageIcon::None;
  int buttons = BUTTON_OK;
  int defaultButton = 0;
};

// Answers a message box. The program installs one that shows a real window; tests install
// one that records the request and answers as scripted.
using MessageHandler = std::function<int(const MessageRequest &)>;

// Installs the handler and returns the one it replaces. With no handler installed, MESSAGE
// answers with the default button, or the lowest button offered.
MessageHandler SetMessageHandler(MessageHandler handler);

// Shows a message box and returns the button chosen.
int MESSAGE(const QString &text, const QString &caption = {}, MessageIcon icon = MessageIcon::None,
            int buttons = BUTTON_OK, int defaultButton = 0);

} // namespace vx
