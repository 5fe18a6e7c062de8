#include "library/runtime/windows/halt.h"

#include "library/runtime/windows/message_box.h"

namespace vx {

void HALT(int code, const QString &text) {
  if (!text.isEmpty())
    MESSAGE(text, QStringLiteral("Program End"), MessageIcon::Hand, BUTTON_OK, BUTTON_OK);
  throw HaltRequest{code, text};
}

void STOP(const QString &text) {
  int answer = MESSAGE(text, QStringLiteral("Program Stopped"), MessageIcon::Hand,
                       BUTTON_ABORT | BUTTON_IGNORE, BUTTON_IGNORE);
  if (answer == BUTTON_ABORT)
    HALT(0);
}

} // namespace vx
