#include "proxy/platform/dialog_sink.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

TEST(MessageDialogs, SinkRecordsAndAnswersAsScripted) {
  RecordingDialogSink sink;
  sink.Answer(DialogButton::No);
  sink.Answer(DialogButton::Yes);
  EXPECT_EQ(MessageDlg("Delete?", DialogKind::Confirmation, DialogButtons::YesNoCancel), DialogButton::No);
  EXPECT_EQ(MessageDlg("Really?", DialogKind::Confirmation, DialogButtons::YesNo), DialogButton::Yes);
  // Unscripted dialogs get the answer of closing them.
  EXPECT_EQ(MessageDlg("Go on?", DialogKind::Warning, DialogButtons::OkCancel), DialogButton::Cancel);
  EXPECT_EQ(MessageDlg("Disk full", DialogKind::Error, DialogButtons::Ok), DialogButton::Ok);
  ASSERT_EQ(sink.Requests().size(), 4u);
  EXPECT_EQ(sink.Requests()[0].text, "Delete?");
  EXPECT_EQ(sink.Requests()[0].kind, DialogKind::Confirmation);
  EXPECT_EQ(sink.Requests()[0].buttons, DialogButtons::YesNoCancel);
  EXPECT_EQ(sink.Requests()[3].kind, DialogKind::Error);
}

TEST(MessageDialogs, ScriptThatDoesNotFitTheDialogIsCaught) {
  RecordingDialogSink sink;
  sink.Answer(DialogButton::Yes);
  EXPECT_THROW(MessageDlg("Note", DialogKind::Information, DialogButtons::OkCancel), std::logic_error);
}

TEST(MessageDialogs, SinksNestAndRestoreTheFallback) {
  {
    RecordingDialogSink outer;
    {
      RecordingDialogSink inner;
      MessageDlg("a", DialogKind::Information, DialogButtons::Ok);
      EXPECT_EQ(inner.Requests().size(), 1u);
    }
    MessageDlg("b", DialogKind::Information, DialogButtons::Ok);
    EXPECT_EQ(outer.Requests().size(), 1u);
  }
  // With no service, questions are declined rather than blocking.
  EXPECT_EQ(MessageDlg("c", DialogKind::Confirmation, DialogButtons::YesNo), DialogButton::No);
  EXPECT_FALSE(IsAffirmative(DialogButton::No));
  EXPECT_FALSE(IsAffirmative(DialogButton::Cancel));
  EXPECT_TRUE(IsAffirmative(DialogButton::Ok));
}

} // namespace
} // namespace ql
