#include "library/runtime/windows/halt.h"

#include "support/scripted_messages.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(HaltTest, ShowsTheEndTextThenThrows) {
  test::ScriptedMessages messages;
  try {
    HALT(3, "Invalid File!");
    FAIL() << "HALT returned";
  } catch (const HaltRequest &halt) {
    EXPECT_EQ(halt.code, 3);
    EXPECT_EQ(halt.text, "Invalid File!");
  }
  ASSERT_EQ(messages.shown().size(), 1u);
  EXPECT_EQ(messages.shown()[0].text, "Invalid File!");

  EXPECT_THROW(HALT(), HaltRequest);
  EXPECT_EQ(messages.shown().size(), 1u); // no text, no box
}

TEST(HaltTest, StopEndsTheProgramOnlyWhenAborted) {
  test::ScriptedMessages messages({BUTTON_IGNORE, BUTTON_ABORT});
  EXPECT_NO_THROW(STOP("Error adding to out.htm: File System Error"));
  EXPECT_THROW(STOP("again"), HaltRequest);
  ASSERT_EQ(messages.shown().size(), 2u);
  EXPECT_EQ(messages.shown()[0].text, "Error adding to out.htm: File System Error");
  EXPECT_EQ(messages.shown()[0].buttons, BUTTON_ABORT | BUTTON_IGNORE);
}

} // namespace
} // namespace vx
