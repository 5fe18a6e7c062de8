#include "library/exchange/record_copy_process.h"

#include "library/core/standard_messages.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/transaction.h"
#include "library/runtime/language/format.h"
#include "library/runtime/windows/halt.h"

namespace vx {

namespace {

// How long a Step waits for the output file when another program holds it.
constexpr int kLockSeconds = 1;
// The driver's code for a damaged file, given with error 90 when records cannot be reached.
constexpr int kDamaged = 11;

} // namespace

RecordCopyProcess::~RecordCopyProcess() {
  // A Step left by HALT (the STOP question answered Abort) keeps none of its adds.
  if (InTransaction())
    ROLLBACK();
}

void RecordCopyProcess::Begin(KeyedFile &input, const QString &inputLabel, KeyedFile &output,
                              const QString &task, std::initializer_list<KeyedFile *> alsoWritten) {
  input_ = &input;
  output_ = &output;
  written_ = {&output};
  written_.insert(written_.end(), alsoWritten);
  inputLabel_ = inputLabel;
  view_ = std::make_unique<View>(input);
  total_ = FileBytes(input);
  records_ = RECORDS(input);
  progress_.ShowTexts(QStringLiteral("Processing Records"), task);
  progress_.ShowPercent(0, QStringLiteral("0% Completed"));
}

bool RecordCopyProcess::Step() {
  if (state_ == State::Starting) {
    if (input_)
      Start();
    else
      state_ = State::Ended;
  } else if (state_ == State::Copying) {
    if (progress_.CancelPressed()) {
      outcome_ = Outcome::Cancelled;
      state_ = State::Ended;
    } else {
      CopyBatch();
    }
  }
  return state_ == State::Copying;
}

void RecordCopyProcess::Start() {
  view_->setPhysicalOrder();
  OPEN(*view_);
  if (ERRORCODE() != 0)
    ShowStandardMessage0(36);
  SET(*view_);
  state_ = State::Copying;
  ReadRecord();
  if (readFailed_)
    ShowStandardMessage1(35, inputLabel_);
}

void RecordCopyProcess::CopyBatch() {
  LOGOUT(kLockSeconds, written_);
  if (ERRORCODE() != 0)
    return; // the files are busy: this tick copies nothing, the next tries again
  BatchBegun();
  batchBytes_ = 0;
  while (state_ == State::Copying && batchBytes_ < kBytesPerBatch) {
    CopyRecord();
    if (!AddRecord()) {
      EndTransaction(false);
      return;
    }
    ReadRecord();
  }
  EndTransaction(true);
}

bool RecordCopyProcess::AddRecord() {
  ADD(*output_);
  if (ERRORCODE() == 0)
    return RecordAdded();
  if (ERRORCODE() != 40)
    return false;
  if (AskOnDuplicate())
    STOP(WriteFailure());
  return true;
}

void RecordCopyProcess::ReadRecord() {
  NEXT(*view_);
  if (ERRORCODE() == 33 && recordsRead_ < records_)
    SetError(90, input_->name(), kDamaged, QStringLiteral("not every record of the file can be read"));
  if (ERRORCODE() == 33) {
    state_ = State::Ended;
    outcome_ = read_ == 0 ? Outcome::Empty : Outcome::Copied;
    if (outcome_ == Outcome::Copied)
      progress_.ShowPercent(100, QStringLiteral("Process Completed"));
    return;
  }
  if (ERRORCODE() != 0) {
    readFailed_ = true;
    state_ = State::Ended;
    outcome_ = Outcome::Failed;
    return;
  }
  ++recordsRead_;
  const qint64 bytes = BYTES(*input_);
  read_ += bytes;
  batchBytes_ += bytes;
  const int percent = total_ > 0 ? int(std::min<qint64>(100, read_ * 100 / total_)) : 100;
  if (percent != percent_) {
    percent_ = percent;
    progress_.ShowPercent(percent, FORMAT(percent, QStringLiteral("N3")) + QStringLiteral("% Completed"));
  }
}

// Commits the Step's adds (`keep`) or rolls them back after a failed add. A failure, of
// the add or of the commit, is shown once no transaction holds the files, and so is a read
// error that ended the Step, with the error that caused it.
void RecordCopyProcess::EndTransaction(bool keep) {
  const ErrorState error{ERRORCODE(), ERRORFILE(), FILEERRORCODE(), FILEERROR()};
  QString failure = keep ? QString() : WriteFailure();
  if (keep) {
    COMMIT();
    if (ERRORCODE() != 0)
      failure = WriteFailure();
  }
  if (!failure.isEmpty()) {
    ROLLBACK();
    state_ = State::Ended;
    outcome_ = Outcome::Failed;
    STOP(failure);
    return;
  }
  if (readFailed_) {
    SetError(error.code, error.file, error.driverCode, error.driverText);
    ShowStandardMessage1(35, inputLabel_);
  }
}

int RecordCopyProcess::Finish() {
  if (!finished_) {
    finished_ = true;
    if (InTransaction())
      ROLLBACK();
    if (view_)
      CLOSE(*view_);
    if (state_ != State::Ended)
      outcome_ = Outcome::Cancelled; // the window closed before the run had ended
    state_ = State::Ended;
    End(outcome_);
  }
  return outcome_ == Outcome::Copied ? 1 : 2;
}

} // namespace vx
