#pragma once

#include "library/exchange/batch_process.h"
#include "library/runtime/data/keyed_view.h"

#include <initializer_list>
#include <memory>
#include <vector>

namespace vx {

// The batch process that copies every record of one keyed file into another: the merge
// of another library's sites and the conversions of the files of the earlier format.
//
// The derived class takes its files in its constructor and then calls Begin, which shows
// "Processing Records" with the task line and "0% Completed"; without Begin (its files
// could not be taken) the run ends at the first Step. The first Step reads the input's
// first record in physical order; each later Step asks whether Cancel was pressed, then
// hands records to CopyRecord and adds what it built to the output until the records read
// in this Step come to 1000 bytes as the driver counts them (BYTES) or the input has ended.
// The percentage of the input's bytes read (FileBytes at Begin) is shown whenever its whole
// number changes, "Process Completed" at the end.
//
// The adds of one Step, and what RecordAdded writes beside them, form one transaction, so
// that a Step costs one sync to disk and is kept or lost whole. A
// duplicate key is skipped, or first asked about when the derived class says so; any other
// failed add, or a failed commit, rolls the Step's adds back, shows the STOP question with
// WriteFailure's text and ends the run. A read error shows message 35 with the input's
// label after the Step's adds are committed, and ends the run. So does an input that ends
// before as many records were read as it counted at Begin (a damaged file whose rows cannot
// all be reached): the run never counts as complete or empty with records left behind.
//
// Finish ends the run and returns 1 when every record was copied, 2 otherwise (also for an
// input without records), after End has given the derived class's files back. Runs on the
// calling run-time thread, through its record buffers.
class RecordCopyProcess : public BatchProcess {
public:
  static constexpr qint64 kBytesPerBatch = 1000;

  ~RecordCopyProcess() override;

  bool Step() final;
  int Finish() final;

protected:
  // How the run ended, for End.
  enum class Outcome { Copied, Empty, Cancelled, Failed };

  explicit RecordCopyProcess(BatchProgress &progress) : progress_(progress) {}

  // `alsoWritten` are files that RecordAdded writes, taken into each Step's transaction.
  void Begin(KeyedFile &input, const QString &inputLabel, KeyedFile &output, const QString &task,
             std::initializer_list<KeyedFile *> alsoWritten = {});
  // Builds the output record in the calling thread's buffer from the input record just read.
  virtual void CopyRecord() = 0;
  // Whether a record refused as a duplicate key is asked about with the STOP question.
  virtual bool AskOnDuplicate() const { return false; }
  // Called as each Step's transaction begins.
  virtual void BatchBegun() {}
  // Called after each record added, inside the Step's transaction; false (with the
  // run-time's error in force) fails the Step as a failed add does.
  virtual bool RecordAdded() { return true; }
  // The text of the STOP question after a failed add, with the run-time's error in force.
  virtual QString WriteFailure() const = 0;
  // Ends the run: gives the files back and does what follows the outcome.
  virtual void End(Outcome outcome) = 0;

private:
  enum class State { Starting, Copying, Ended };

  void Start();
  void CopyBatch();
  bool AddRecord();
  void ReadRecord();
  void EndTransaction(bool keep);

  BatchProgress &progress_;
  KeyedFile *input_ = nullptr;
  KeyedFile *output_ = nullptr;
  std::vector<KeyedFile *> written_; // the output, then the files RecordAdded writes
  QString inputLabel_;
  std::unique_ptr<View> view_;
  State state_ = State::Starting;
  Outcome outcome_ = Outcome::Failed;
  bool readFailed_ = false;
  bool finished_ = false;
  qint64 total_ = 0;
  qint64 records_ = 0; // the input's records, as counted at Begin
  qint64 recordsRead_ = 0;
  qint64 read_ = 0;
  qint64 batchBytes_ = 0;
  int percent_ = 0;
};

} // namespace vx
