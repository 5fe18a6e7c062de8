#include "proxy/platform/dialog_sink.h"

#include <stdexcept>

namespace ql {

RecordingDialogSink::RecordingDialogSink() : previous_(SetMessageDialogs(this)) {}

RecordingDialogSink::~RecordingDialogSink() {
  SetMessageDialogs(previous_);
}

void RecordingDialogSink::Answer(DialogButton button) {
  script_.push_back(button);
}

DialogButton RecordingDialogSink::Show(const DialogRequest &request) {
  requests_.push_back(request);
  if (script_.empty())
    return EscapeAnswer(request.buttons);
  DialogButton answer = script_.front();
  script_.pop_front();
  if (!Offers(request.buttons, answer))
    throw std::logic_error("Scripted answer is not a button of the dialog \"" + request.text.toStdString() +
                           "\"");
  return answer;
}

} // namespace ql
