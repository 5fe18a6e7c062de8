#include "library/runtime/data/error_state.h"
#include "library/runtime/data/transaction.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/scheduler.h"
#include "support/run_threads.h"
#include "support/sample_file.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::Rec;
using test::Sample;
using test::SampleOther;

void Load(const char *name) {
  CLEAR(Sample());
  Rec().Name = name;
  GET(Sample().key(test::ByName));
}

// A form called directly: it works on its caller's record buffer and leaves its record there.
void PickRecord(const char *name) {
  Load(name);
}

TEST(KeyedThreads, DeleteConfirmedInOneWindowDeletesThatWindowsRecordOnly) {
  test::TempWorkDir dir;
  CREATE(Sample());
  OPEN(Sample());
  for (const char *name : {"a", "b", "c"})
    ASSERT_EQ(0, test::AddSample(name, "g", 1));
  bool otherLoaded = false;
  QString pickedByDirectCall;
  test::ScriptedDialogs dialogs([&](const MessageRequest &) {
    // While the user thinks about the question, another window reads a record.
    test::WaitFor([&] { return otherLoaded; });
    return BUTTON_YES;
  });
  START([&] {
    Load("a");
    if (MESSAGE("Delete this record?", "Confirm Delete", MessageIcon::Question, BUTTON_YES | BUTTON_NO) ==
        BUTTON_YES)
      DELETE(Sample());
    EXPECT_EQ(0, ERRORCODE());
    PickRecord("c");
    pickedByDirectCall = Rec().Name.text();
  });
  START([&] {
    Load("b");
    otherLoaded = true;
  });
  test::RunAllThreads();
  EXPECT_EQ("c", pickedByDirectCall);
  EXPECT_EQ(2, RECORDS(Sample()));
  Load("b");
  EXPECT_EQ(0, ERRORCODE()); // the other window's record is still there
  Load("a");
  EXPECT_EQ(35, ERRORCODE());
  CLOSE(Sample());
}

// A window opening a file while another window's transaction runs waits for the transaction
// to end and then opens it; before, OPEN gave 32 and the program ended with "Disk Error".
TEST(KeyedThreads, OpenDuringAnotherThreadsTransactionWaitsForItsEnd) {
  test::TempWorkDir dir;
  CREATE(Sample());
  CREATE(SampleOther());
  OPEN(Sample());
  bool inTransaction = false, opening = false, committed = false, openedAfterCommit = false;
  int openCode = -1;
  START([&] {
    LOGOUT(2, {&Sample()});
    ASSERT_EQ(0, ERRORCODE());
    inTransaction = true;
    test::WaitFor([&] { return opening; });
    EXPECT_EQ(0, test::AddSample("a", "g", 1));
    COMMIT();
    committed = ERRORCODE() == 0;
  });
  START([&] {
    test::WaitFor([&] { return inTransaction; });
    opening = true;
    OPEN(SampleOther());
    openCode = ERRORCODE();
    openedAfterCommit = committed;
  });
  test::RunAllThreads();
  EXPECT_EQ(0, openCode);
  EXPECT_TRUE(openedAfterCommit);
  EXPECT_TRUE(SampleOther().isOpen());
  EXPECT_EQ(1, RECORDS(Sample()));
  CLOSE(SampleOther());
  CLOSE(Sample());
}

} // namespace
} // namespace vx
