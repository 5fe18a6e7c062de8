#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringEncoder>
#include <QStringView>
#include <memory>
#include <vector>

namespace vx {

// The files of one export run: the main output and, for a frame export, its side files.
//
// Each file is written, through a buffer, to a temporary file beside it; no file of the
// user's is touched until Commit, which syncs the whole set and then renames each file into
// place (side files first, the main output last) and syncs the folder. So a crash, a failed
// write or a cancel leaves every earlier file as it was and no partial file under the
// export's names. Discard, and the destructor when Commit has not run, removes the
// temporary files.
//
// A line is written whole, without its trailing blanks, in UTF-8 and ended by LF. The first
// failure (a file that cannot be created, a write or sync the system refuses, a side file
// whose name is already taken by this run) is kept; every later write is skipped, and the
// caller tests failed() after each step.
class ExportOutputs {
public:
  enum class Failure { None, Stop, Refused };

  explicit ExportOutputs(const QString &mainName);
  ~ExportOutputs();
  ExportOutputs(const ExportOutputs &) = delete;
  ExportOutputs &operator=(const ExportOutputs &) = delete;

  bool OpenMain();
  // Claims `name` for a side file that this run opens later, so that a name that would
  // overwrite it is refused before any work is done. A name already claimed by the main
  // output or another side file of this run is refused.
  bool Reserve(const QString &name);
  // Finishes the side file in hand, when there is one, and begins `name`; an unreserved
  // name is claimed first, as Reserve does.
  bool OpenSide(const QString &name);
  // Finishes the side file in hand; it waits for Commit.
  void CloseSide();

  void Out(QStringView line);
  void Side(QStringView line);

  Failure failure() const { return failure_; }
  bool failed() const { return failure_ != Failure::None; }
  // For Stop: "Error opening <file>: <error>" or "Error adding to <file>: <error>". For
  // Refused: which side file would overwrite which file.
  const QString &failureText() const { return failureText_; }
  // For Stop: the system's error number.
  int failureError() const { return failureError_; }

  bool Commit();
  void Discard();

private:
  struct File;

  bool Open(File &file);
  void Write(File &file, QStringView line);
  bool Flush(File &file);
  bool Finish(File &file);
  bool Sync();
  void Fail(const char *what, const File &file, int error);
  bool Claim(const QString &name);
  bool Rename(File &file);

  std::unique_ptr<File> main_;
  std::unique_ptr<File> side_;
  std::vector<std::unique_ptr<File>> finished_;
  QHash<QString, QString> taken_; // path -> the name that claimed it
  QSet<QString> reserved_;        // paths claimed and not yet opened
  QStringEncoder encoder_{QStringEncoder::Utf8};
  Failure failure_ = Failure::None;
  QString failureText_;
  int failureError_ = 0;
};

} // namespace vx
