#include "library/core/standard_messages.h"

#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/halt.h"
#include "library/runtime/windows/message_box.h"

#include <deque>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

void PrintTo(const QString &s, std::ostream *os) {
  *os << '"' << s.toStdString() << '"';
}

namespace vx {
namespace {

// Records every box and answers as scripted (the default button once the script is used up).
class StandardMessagesTest : public ::testing::Test {
protected:
  void SetUp() override {
    previous_ = SetMessageHandler([this](const MessageRequest &r) {
      shown_.push_back(r);
      if (answers_.empty())
        return r.defaultButton ? r.defaultButton : BUTTON_OK;
      int a = answers_.front();
      answers_.pop_front();
      return a;
    });
    ClearError();
  }
  void TearDown() override {
    SetMessageHandler(std::move(previous_));
    ShowStandardMessage0(0); // leaves no saved state behind
    ClearError();
  }

  // Shows the message and returns its text; `halted` receives the end text when it ended the program.
  QString show(int number, const QString &t1 = {}, const QString &t2 = {},
               std::optional<QString> *halted = nullptr) {
    const size_t before = shown_.size();
    try {
      ShowStandardMessage(number, t1, t2);
    } catch (const HaltRequest &h) {
      if (halted)
        *halted = h.text;
    }
    return shown_.size() > before ? shown_[before].text : QString();
  }

  std::deque<int> answers_;
  std::vector<MessageRequest> shown_;
  MessageHandler previous_;
};

struct Expected {
  int number;
  const char *caption;
  const char *text;
  int buttons;
  int defaultButton;
  bool question;
  const char *endText;
};

constexpr int OK = BUTTON_OK, YN = BUTTON_YES | BUTTON_NO, YNC = BUTTON_YES | BUTTON_NO | BUTTON_CANCEL,
              OC = BUTTON_OK | BUTTON_CANCEL, RC = BUTTON_RETRY | BUTTON_CANCEL;

// Every message with text1 "URL_L.KYF", text2 "Categories" and the last error 35.
const Expected kAll[] = {
    {1, "Invalid File",
     "Error: (Record Not Found (35)) accessing URL_L.KYF.  Press OK to end this application.", OK, OK, false,
     "Invalid File!"},
    {2, "Invalid Key", "URL_L.KYF key file is invalid.  Do you want to rebuild the key?", YN, BUTTON_YES,
     true, nullptr},
    {3, "Key Rebuild Error",
     "Error: (Record Not Found (35)) repairing key for URL_L.KYF.  Press OK to end this application.", OK, OK,
     false, "Error Rebuilding Key!"},
    {4, "File Creation Error",
     "Error: (Record Not Found (35)) creating URL_L.KYF.  Press OK to end this application.", OK, OK, false,
     "File Creation Error!"},
    {5, "File Creation Error",
     "Error: (Record Not Found (35)) opening created file:URL_L.KYF.  Press OK to end this application.", OK,
     OK, false, "File Creation Error!"},
    {6, "Procedure not defined", "The Procedure URL_L.KYF has not been defined.", OK, OK, false, nullptr},
    {7, "Record Insert Error", "Unable to read keyed record.  Error: Record Not Found (35).  Insert Aborted",
     OK, 0, false, nullptr},
    {8, "Range Error", "The value of URL_L.KYF must be lower than Categories.", OK, OK, false, nullptr},
    {9, "Range Error", "The value of URL_L.KYF must be higher than Categories.", OK, OK, false, nullptr},
    {10, "Range Error", "The value of URL_L.KYF must be between Categories.", OK, OK, false, nullptr},
    {11, "Field Contents Error", "The value for URL_L.KYF must be found in the Categories file.", OK, OK,
     false, nullptr},
    {12, "Referential Integrity Update Error",
     "This record is referenced from the file URL_L.KYF.  Linking field(s) have been restricted from change "
     "and have "
     "been reset to original values.",
     OK, OK, false, nullptr},
    {13, "Referential Integrity Delete Error",
     "This record is referenced from the file URL_L.KYF.  This record cannot be deleted while these "
     "references "
     "exist.",
     OK, OK, false, nullptr},
    {14, "Record Insert Error",
     "An error was experienced during the update of record.  Error: Record Not Found (35).", OK, OK, false,
     nullptr},
    {15, "Update Operation Error",
     "An error (Record Not Found (35)) was experienced when attempting to update a record from the file.  "
     "Probable "
     "Cause: URL_L.KYF.",
     OK, OK, false, nullptr},
    {16, "Record Update Error",
     "An error was experienced changing this record.  Do you want to try to save again?", YNC, BUTTON_CANCEL,
     false, nullptr},
    {17, "Delete Operation Error",
     "An error (Record Not Found (35)) was experienced when attempting to delete a record from the file "
     "URL_L.KYF.",
     OK, OK, false, nullptr},
    {18, "Record Update Error",
     "An error was experienced deleting this record.  Do you want to try to save again?", YNC, BUTTON_CANCEL,
     false, nullptr},
    {19, "Invalid Request",
     "This procedure was called to insert a record, however inserts are not allowed for this procedure.  "
     "Press OK to "
     "return to the calling procedure",
     OK, OK, false, nullptr},
    {20, "Invalid Request",
     "This procedure was called to change a record, however changes are not allowed for this procedure.  "
     "Press OK to "
     "return to the calling procedure",
     OK, OK, false, nullptr},
    {21, "Invalid Request",
     "This procedure was called to delete a record, however deletions are not allowed for this procedure.  "
     "Press OK "
     "to return to the calling procedure",
     OK, OK, false, nullptr},
    {22, "File Creation Not Allowed",
     "The File URL_L.KYFwas not found, and creation of the file is not allowed.  Press OK to end this "
     "application.",
     OK, OK, false, "File Creation Error!"},
    {23, "Update Cancelled", "Are you sure you want to cancel?", YN, BUTTON_NO, true, nullptr},
    {24, "Duplicate Key Error", "Adding this record creates a duplicate entry for the key:URL_L.KYF", OK, OK,
     false, nullptr},
    {25, "Auto Increment Error",
     "Attempts to automatically number this record have failed.  Error: Record Not Found "
     "(35).",
     RC, BUTTON_CANCEL, false, nullptr},
    {26, "File Load Error", "URL_L.KYF File Load Error.  Error: Record Not Found (35).", OK, OK, false,
     nullptr},
    {27, "Cancel Request", "Are you certain you want to stop loading URL_L.KYF?", OC, BUTTON_CANCEL, true,
     nullptr},
    {28, "File Load Error", "URL_L.KYF File Load Error.  The file you've requested contains no text.", OK, OK,
     false, nullptr},
    {29, "Beginning of File Error",
     "The beginning of the viewed file was encountered.  Do you want to start again from the end of the "
     "file?",
     YN, BUTTON_YES, true, nullptr},
    {30, "File Access Error", "File (URL_L.KYF) could not be opened.  Error: Record Not Found (35).", OK, OK,
     false, nullptr},
    {31, "Process DELETE Error",
     "An error was experienced when deleting a record from the Categories file.  Error: Record Not Found "
     "(35)",
     OK, OK, false, nullptr},
    {32, "Confirm Delete",
     "You've selected to delete the highlighted record.  Press OK to confirm deletion of this record.", OC,
     BUTTON_CANCEL, true, nullptr},
    {33, "Update Cancelled", "Do you want to save the changes to this record?", YNC, BUTTON_NO, true,
     nullptr},
    {34, "Transaction Framing Error",
     "Error: (Record Not Found (35)) attempting to frame the url_l.kyf transaction on Categories.  URL_L.KYF "
     "transaction cancelled.",
     OK, OK, false, nullptr},
    {35, "Record Retrieval Error",
     "Error: (Record Not Found (35)) attempting to access a record from the URL_L.KYF file.  Returning to "
     "previous "
     "window.",
     OK, OK, false, nullptr},
    {36, "View Open Error",
     "Error: (Record Not Found (35)) attempting to open the current VIEW. Filter and Range Limits ignored.",
     OK, OK, false, nullptr},
    {37, "Record Added", "This record has been added to the file. Do you want to add another record?", YN,
     BUTTON_YES, true, nullptr},
};

TEST_F(StandardMessagesTest, EveryMessageHasItsTextCaptionIconButtonsAndEnd) {
  ASSERT_EQ(std::size(kAll), 37u);
  for (const Expected &e : kAll) {
    SCOPED_TRACE(e.number);
    SetError(35, "URL_L.KYF");
    std::optional<QString> halted;
    shown_.clear();
    EXPECT_EQ(show(e.number, "URL_L.KYF   ", "Categories  ", &halted), QString::fromLatin1(e.text));
    ASSERT_EQ(shown_.size(), e.endText ? 2u : 1u); // the end text comes in a box of its own
    EXPECT_EQ(shown_[0].caption, QString::fromLatin1(e.caption));
    EXPECT_EQ(shown_[0].buttons, e.buttons);
    EXPECT_EQ(shown_[0].defaultButton, e.defaultButton);
    EXPECT_EQ(shown_[0].icon, e.question ? MessageIcon::Exclamation : MessageIcon::Asterisk);
    if (e.endText) {
      EXPECT_EQ(halted, QString::fromLatin1(e.endText));
      EXPECT_EQ(shown_[1].text, QString::fromLatin1(e.endText));
    } else
      EXPECT_FALSE(halted.has_value());
  }
}

TEST_F(StandardMessagesTest, DirectionAndOperationChooseTheText) {
  ShowStandardMessage1(29, "Down ");
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "End of File Error");
  EXPECT_EQ(shown_[0].text,
            "The end of the viewed file was encountered.  Do you want to start again from the beginning?");
  ShowStandardMessage1(29, "down");
  EXPECT_EQ(shown_[1].caption, "Beginning of File Error");

  SetError(89, "URL_L.KYF");
  ShowStandardMessage(31, "Put", "VORNIX");
  EXPECT_EQ(shown_[2].caption, "Process PUT Error");
  EXPECT_EQ(shown_[2].text,
            "An error was experienced when making changes to the VORNIX file.  Error: Record Changed "
            "By Another Station (89)");
}

TEST_F(StandardMessagesTest, UpdateErrorOfAnotherStationHasNoErrorPart) {
  SetError(89, "URL_L.KYF");
  EXPECT_EQ(show(15, "Update"), "This record was changed by another station.");
  ClearError();
  EXPECT_EQ(show(15, "Update"), "This record was changed by another station.");
}

TEST_F(StandardMessagesTest, TransactionFramingNamesTheOperationInBothCases) {
  SetError(56, "Categories");
  EXPECT_EQ(
      show(34, "Delete", "Categories"),
      "Error: (LOGOUT Already Active (56)) attempting to frame the delete transaction on Categories.  Delete "
      "transaction cancelled.");
}

TEST_F(StandardMessagesTest, DriverErrorsShowTheDriversOwnCodeAndText) {
  SetError(90, "URL_L.KYF", 13, "permission denied   ");
  EXPECT_EQ(show(30, "export.htm"), "File (export.htm) could not be opened.  Error: permission denied (13).");
}

TEST_F(StandardMessagesTest, SavedErrorIsReportedOnceThenCleared) {
  SetError(40, "URL_L.KYF");
  int rollbacks = 0;
  auto previous = SetStandardRollback([&] {
    ++rollbacks;
    ClearError(); // the rollback's own outcome must not reach the message
  });
  SaveErrorState();
  EXPECT_EQ(rollbacks, 1);
  SetError(33, "Categories");
  EXPECT_EQ(show(14),
            "An error was experienced during the update of record.  Error: Creates Duplicate Key (40).");
  EXPECT_EQ(show(14),
            "An error was experienced during the update of record.  Error: Record Not Available (33).");

  // A message without an error part, even one outside the catalogue, also clears it.
  SetError(35, "URL_L.KYF");
  SaveErrorState();
  SetError(33, "Categories");
  ShowStandardMessage0(99);
  EXPECT_EQ(show(14),
            "An error was experienced during the update of record.  Error: Record Not Available (33).");
  SetError(35, "URL_L.KYF");
  SaveErrorState();
  show(23);
  SetError(33, "Categories");
  EXPECT_EQ(show(26, "readme.txt"), "readme.txt File Load Error.  Error: Record Not Available (33).");
  SetStandardRollback(std::move(previous));
}

TEST_F(StandardMessagesTest, InvalidKeyEndsTheProgramOnlyWhenNotRebuilt) {
  answers_ = {BUTTON_YES, BUTTON_NO};
  EXPECT_EQ(ShowStandardMessage1(2, "URL_L.KYF"), BUTTON_YES);
  std::optional<QString> halted;
  show(2, "URL_L.KYF", {}, &halted);
  EXPECT_EQ(halted, QString("Invalid Key!"));
  ASSERT_EQ(shown_.size(), 3u); // the question twice, then the end text
  EXPECT_EQ(shown_[2].text, "Invalid Key!");
}

TEST_F(StandardMessagesTest, NumbersOutsideTheCatalogueShowNothing) {
  EXPECT_EQ(ShowStandardMessage0(0), 0);
  EXPECT_EQ(ShowStandardMessage0(38), 0);
  EXPECT_EQ(ShowStandardMessage0(-1), 0);
  EXPECT_TRUE(shown_.empty());
}

TEST_F(StandardMessagesTest, TextsThatLookLikePlaceholdersAreShownAsGiven) {
  EXPECT_EQ(show(11, "<2>", "<error>"), "The value for <2> must be found in the <error> file.");
}

} // namespace
} // namespace vx
