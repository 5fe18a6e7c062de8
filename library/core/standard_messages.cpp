#include "library/core/standard_messages.h"

#include "library/runtime/data/error_state.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/halt.h"
#include "library/runtime/windows/message_box.h"

#include <mutex>
#include <utility>

namespace vx {

namespace {

constexpr int kOC = BUTTON_OK | BUTTON_CANCEL;
constexpr int kYN = BUTTON_YES | BUTTON_NO;
constexpr int kYNC = BUTTON_YES | BUTTON_NO | BUTTON_CANCEL;
constexpr int kRC = BUTTON_RETRY | BUTTON_CANCEL;
constexpr int kExitCode = 1; // the program's exit code when a message ends it

// One entry of the catalogue. In the text, <1> and <2> stand for the caller's texts, <l1>
// for the first text in lower case and <error> for the error part.
struct Entry {
  const char *caption;
  const char *text;
  int buttons;
  int defaultButton;
  bool question;
  const char *endText; // the program ends after the box when set
};

const Entry kCatalogue[37] = {
    /* 1 */ {"Invalid File", "Error: (<error>) accessing <1>.  Press OK to end this application.", BUTTON_OK,
             BUTTON_OK, false, "Invalid File!"},
    /* 2 */
    {"Invalid Key", "<1> key file is invalid.  Do you want to rebuild the key?", kYN, BUTTON_YES, true,
     "Invalid Key!"},
    /* 3 */
    {"Key Rebuild Error", "Error: (<error>) repairing key for <1>.  Press OK to end this application.",
     BUTTON_OK, BUTTON_OK, false, "Error Rebuilding Key!"},
    /* 4 */
    {"File Creation Error", "Error: (<error>) creating <1>.  Press OK to end this application.", BUTTON_OK,
     BUTTON_OK, false, "File Creation Error!"},
    /* 5 */
    {"File Creation Error", "Error: (<error>) opening created file:<1>.  Press OK to end this application.",
     BUTTON_OK, BUTTON_OK, false, "File Creation Error!"},
    /* 6 */
    {"Procedure not defined", "The Procedure <1> has not been defined.", BUTTON_OK, BUTTON_OK, false,
     nullptr},
    /* 7 */
    {"Record Insert Error", "Unable to read keyed record.  Error: <error>.  Insert Aborted", BUTTON_OK, 0,
     false, nullptr},
    /* 8 */ {"Range Error", "The value of <1> must be lower than <2>.", BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 9 */
    {"Range Error", "The value of <1> must be higher than <2>.", BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 10 */ {"Range Error", "The value of <1> must be between <2>.", BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 11 */
    {"Field Contents Error", "The value for <1> must be found in the <2> file.", BUTTON_OK, BUTTON_OK, false,
     nullptr},
    /* 12 */
    {"Referential Integrity Update Error",
     "This record is referenced from the file <1>.  Linking field(s) have been restricted from change and "
     "have been "
     "reset to original values.",
     BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 13 */
    {"Referential Integrity Delete Error",
     "This record is referenced from the file <1>.  This record cannot be deleted while these references "
     "exist.",
     BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 14 */
    {"Record Insert Error", "An error was experienced during the update of record.  Error: <error>.",
     BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 15: the text depends on the error code, see Text() */
    {"Update Operation Error",
     "An error (<error>) was experienced when attempting to update a record from the file.  Probable Cause: "
     "<1>.",
     BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 16 */
    {"Record Update Error",
     "An error was experienced changing this record.  Do you want to try to save again?", kYNC, BUTTON_CANCEL,
     false, nullptr},
    /* 17 */
    {"Delete Operation Error",
     "An error (<error>) was experienced when attempting to delete a record from the file <1>.", BUTTON_OK,
     BUTTON_OK, false, nullptr},
    /* 18 */
    {"Record Update Error",
     "An error was experienced deleting this record.  Do you want to try to save again?", kYNC, BUTTON_CANCEL,
     false, nullptr},
    /* 19 */
    {"Invalid Request",
     "This procedure was called to insert a record, however inserts are not allowed for this procedure.  "
     "Press OK "
     "to return to the calling procedure",
     BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 20 */
    {"Invalid Request",
     "This procedure was called to change a record, however changes are not allowed for this procedure.  "
     "Press OK "
     "to return to the calling procedure",
     BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 21 */
    {"Invalid Request",
     "This procedure was called to delete a record, however deletions are not allowed for this procedure.  "
     "Press "
     "OK to return to the calling procedure",
     BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 22 */
    {"File Creation Not Allowed",
     "The File <1>was not found, and creation of the file is not allowed.  Press OK to end this application.",
     BUTTON_OK, BUTTON_OK, false, "File Creation Error!"},
    /* 23 */ {"Update Cancelled", "Are you sure you want to cancel?", kYN, BUTTON_NO, true, nullptr},
    /* 24 */
    {"Duplicate Key Error", "Adding this record creates a duplicate entry for the key:<1>", BUTTON_OK,
     BUTTON_OK, false, nullptr},
    /* 25 */
    {"Auto Increment Error", "Attempts to automatically number this record have failed.  Error: <error>.",
     kRC, BUTTON_CANCEL, false, nullptr},
    /* 26 */
    {"File Load Error", "<1> File Load Error.  Error: <error>.", BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 27 */
    {"Cancel Request", "Are you certain you want to stop loading <1>?", kOC, BUTTON_CANCEL, true, nullptr},
    /* 28 */
    {"File Load Error", "<1> File Load Error.  The file you've requested contains no text.", BUTTON_OK,
     BUTTON_OK, false, nullptr},
    /* 29: caption and text depend on the direction, see Text() */
    {"Beginning of File Error",
     "The beginning of the viewed file was encountered.  Do you want to start again from the end of the "
     "file?",
     kYN, BUTTON_YES, true, nullptr},
    /* 30 */
    {"File Access Error", "File (<1>) could not be opened.  Error: <error>.", BUTTON_OK, BUTTON_OK, false,
     nullptr},
    /* 31: caption and text depend on the operation, see Text() */
    {"Process DELETE Error",
     "An error was experienced when deleting a record from the <2> file.  Error: <error>", BUTTON_OK,
     BUTTON_OK, false, nullptr},
    /* 32 */
    {"Confirm Delete",
     "You've selected to delete the highlighted record.  Press OK to confirm deletion of this record.", kOC,
     BUTTON_CANCEL, true, nullptr},
    /* 33 */
    {"Update Cancelled", "Do you want to save the changes to this record?", kYNC, BUTTON_NO, true, nullptr},
    /* 34 */
    {"Transaction Framing Error",
     "Error: (<error>) attempting to frame the <l1> transaction on <2>.  <1> transaction cancelled.",
     BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 35 */
    {"Record Retrieval Error",
     "Error: (<error>) attempting to access a record from the <1> file.  Returning to previous window.",
     BUTTON_OK, BUTTON_OK, false, nullptr},
    /* 36 */
    {"View Open Error",
     "Error: (<error>) attempting to open the current VIEW. Filter and Range Limits ignored.", BUTTON_OK,
     BUTTON_OK, false, nullptr},
    /* 37 */
    {"Record Added", "This record has been added to the file. Do you want to add another record?", kYN,
     BUTTON_YES, true, nullptr},
};

struct SavedError {
  int code = 0;
  QString text;
  int driverCode = 0;
  QString driverText;
};

struct Shared {
  std::mutex mutex;
  SavedError saved;
  std::function<void()> rollback;
};

Shared &State() {
  static Shared state;
  return state;
}

struct ErrorPart {
  int code = 0;
  QString text;
};

// Builds the error part from the saved state or the run-time's last error, and clears the
// saved state.
ErrorPart TakeErrorPart() {
  SavedError e;
  {
    std::lock_guard lock(State().mutex);
    e = std::exchange(State().saved, SavedError{});
  }
  if (e.code == 0)
    e = SavedError{ERRORCODE(), ERROR(), FILEERRORCODE(), FILEERROR()};
  const bool driver = e.code == 90;
  const QString text = CLIP(driver ? e.driverText : e.text);
  const int code = driver ? e.driverCode : e.code;
  return ErrorPart{e.code, QStringLiteral("%1 (%2)").arg(text).arg(code)};
}

// Replaces the tokens of `pattern` in one pass, so that a caller's text that happens to
// hold a token is shown as it is.
QString Expand(const QString &pattern, const QString &t1, const QString &t2, const QString &error) {
  QString out;
  out.reserve(pattern.size() + t1.size() + t2.size() + error.size());
  for (qsizetype i = 0; i < pattern.size();) {
    auto token = [&](QLatin1StringView name) { return QStringView(pattern).sliced(i).startsWith(name); };
    if (token(QLatin1StringView("<1>"))) {
      out += t1;
      i += 3;
    } else if (token(QLatin1StringView("<2>"))) {
      out += t2;
      i += 3;
    } else if (token(QLatin1StringView("<l1>"))) {
      out += LOWER(t1);
      i += 4;
    } else if (token(QLatin1StringView("<error>"))) {
      out += error;
      i += 7;
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

} // namespace

int ShowStandardMessage(int number, const QString &text1, const QString &text2) {
  const ErrorPart error = TakeErrorPart();
  if (number < 1 || number > 37)
    return 0;
  const Entry &entry = kCatalogue[number - 1];
  const QString t1 = CLIP(text1);
  const QString t2 = CLIP(text2);
  QString caption = QLatin1String(entry.caption);
  QString pattern = QLatin1String(entry.text);
  if (number == 15 && (error.code == 0 || error.code == 89)) {
    pattern = QStringLiteral("This record was changed by another station.");
  } else if (number == 29 && t1 == u"Down") {
    caption = QStringLiteral("End of File Error");
    pattern = QStringLiteral(
        "The end of the viewed file was encountered.  Do you want to start again from the beginning?");
  } else if (number == 31 && t1 == u"Put") {
    caption = QStringLiteral("Process PUT Error");
    pattern = QStringLiteral("An error was experienced when making changes to the <2> file.  Error: <error>");
  }

  // Errors show the information icon (Asterisk), questions the exclamation mark.
  const int answer = MESSAGE(Expand(pattern, t1, t2, error.text), caption,
                             entry.question ? MessageIcon::Exclamation : MessageIcon::Asterisk, entry.buttons,
                             entry.defaultButton);
  if (entry.endText && (number != 2 || answer != BUTTON_YES))
    HALT(kExitCode, QLatin1String(entry.endText));
  return answer;
}

int ShowStandardMessage1(int number, const QString &text1) {
  return ShowStandardMessage(number, text1, QString());
}

int ShowStandardMessage0(int number) {
  return ShowStandardMessage(number, QString(), QString());
}

void SaveErrorState() {
  std::function<void()> rollback;
  {
    std::lock_guard lock(State().mutex);
    State().saved = SavedError{ERRORCODE(), ERROR(), FILEERRORCODE(), FILEERROR()};
    rollback = State().rollback;
  }
  if (rollback)
    rollback();
}

std::function<void()> SetStandardRollback(std::function<void()> rollback) {
  std::lock_guard lock(State().mutex);
  return std::exchange(State().rollback, std::move(rollback));
}

} // namespace vx
