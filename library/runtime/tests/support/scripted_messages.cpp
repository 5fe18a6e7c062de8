#include "support/scripted_messages.h"

namespace vx::test {

ScriptedMessages::ScriptedMessages(std::deque<int> answers) : answers_(std::move(answers)) {
  previous_ = SetMessageHandler([this](const MessageRequest &request) {
    shown_.push_back(request);
    if (answers_.empty())
      return request.defaultButton ? request.defaultButton : BUTTON_OK;
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
  });
}

ScriptedMessages::~ScriptedMessages() {
  SetMessageHandler(std::move(previous_));
}

} // namespace vx::test
