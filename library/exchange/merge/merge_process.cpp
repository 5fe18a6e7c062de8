#include "library/exchange/merge/merge_process.h"

#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/message_box.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

namespace vx {

namespace {

QString DiskPath(const QString &name) {
  return QDir::current().absoluteFilePath(QString(name).replace(QLatin1Char('\\'), QLatin1Char('/')));
}

// Whether two names lead to one file on disk (through links too); false when either is missing.
bool SameFile(const QString &a, const QString &b) {
  struct stat sa, sb;
  return ::stat(QFile::encodeName(DiskPath(a)).constData(), &sa) == 0 &&
         ::stat(QFile::encodeName(DiskPath(b)).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

void Refuse(const QString &text) {
  MESSAGE(text, QStringLiteral("Cannot Import"), MessageIcon::Exclamation, BUTTON_OK);
}

} // namespace

MergeProcess::MergeProcess(const QString &path, BatchProgress &progress) : RecordCopyProcess(progress) {
  SiteFile &source = MergeSource();
  if (SameFile(path, VORNIX().name())) {
    Refuse(QStringLiteral("%1 is this library's own site file.  Choose the URL_L.KYF of another Vornix "
                          "database.")
               .arg(path));
    return;
  }
  if (source.useCount > 0 && !SameFile(path, source.name())) {
    Refuse(
        QStringLiteral("Another merge is reading %1.  Try again when it has finished.").arg(source.name()));
    return;
  }
  if (source.useCount == 0)
    source.setName(path);
  if (!TakeUserFile(source, FileAccess::SharedRead))
    return;
  sourceTaken_ = true;
  sites_.emplace(VORNIX());
  categoriesUse_.emplace(Categories());
  Begin(source, VORNIX().label(), VORNIX(), QString(), {&Categories()});
}

MergeProcess::~MergeProcess() {
  ReleaseSource();
}

void MergeProcess::ReleaseSource() {
  if (sourceTaken_)
    ReleaseFile(MergeSource());
  sourceTaken_ = false;
}

void MergeProcess::CopyRecord() {
  URL() = ILOC();
  URL().Category = CategoryOrNew(URL().Category.clipped());
}

// A category deleted in another window since the last Step is looked up, and added, again.
void MergeProcess::BatchBegun() {
  categories_.Forget();
}

bool MergeProcess::RecordAdded() {
  QString stored;
  return categories_.Resolve(URL().Category.clipped(), stored);
}

QString MergeProcess::WriteFailure() const {
  const QString file = ERRORFILE().isEmpty() ? VORNIX().name() : ERRORFILE();
  return QStringLiteral("Error adding to ") + file + QStringLiteral(": ") +
         (ERRORCODE() == 90 ? FILEERROR() : ERROR());
}

void MergeProcess::End(Outcome) {
  ReleaseSource();
  categoriesUse_.reset();
  sites_.reset();
}

} // namespace vx
