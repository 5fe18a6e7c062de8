#pragma once

#include "library/runtime/windows/message_box.h"

#include <deque>
#include <vector>

namespace vx::test {

// Installs a message handler for the life of the object: it records every request and
// answers with the next scripted answer, or with the default button once the script is
// used up. The handler in force before is put back on destruction.
class ScriptedMessages {
public:
  explicit ScriptedMessages(std::deque<int> answers = {});
  ~ScriptedMessages();
  ScriptedMessages(const ScriptedMessages &) = delete;
  ScriptedMessages &operator=(const ScriptedMessages &) = delete;

  void Answer(int button) { answers_.push_back(button); }
  const std::vector<MessageRequest> &shown() const { return shown_; }

private:
  std::deque<int> answers_;
  std::vector<MessageRequest> shown_;
  MessageHandler previous_;
};

} // namespace vx::test
