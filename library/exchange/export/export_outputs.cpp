#include "library/exchange/export/export_outputs.h"

#include "library/exchange/export/export_names.h"
#include "library/runtime/data/new_file.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

namespace {

constexpr qsizetype kFlushAt = 64 * 1024;

bool WriteAll(int fd, const QByteArray &data) {
  const char *p = data.constData();
  qsizetype left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, size_t(left));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    p += n;
    left -= n;
  }
  return true;
}

void SyncFolder(const QByteArray &path) {
  const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
  int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

} // namespace

struct ExportOutputs::File {
  QString name;      // as the export names it, for messages
  QByteArray target; // the file's path on disk
  QByteArray temp;   // the temporary file beside it; empty once renamed or removed
  int fd = -1;
  QByteArray buffer;
};

ExportOutputs::ExportOutputs(const QString &mainName) : main_(std::make_unique<File>()) {
  main_->name = mainName;
  main_->target = QFile::encodeName(FileSystemPath(mainName));
  taken_.insert(FileSystemPath(mainName), mainName);
}

ExportOutputs::~ExportOutputs() {
  Discard();
}

void ExportOutputs::Fail(const char *what, const File &file, int error) {
  if (failed())
    return;
  failure_ = Failure::Stop;
  failureError_ = error;
  failureText_ =
      QLatin1String(what) + file.name + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

bool ExportOutputs::Claim(const QString &name) {
  const QString path = FileSystemPath(name);
  const auto it = taken_.constFind(path);
  if (it != taken_.cend()) {
    if (!failed()) {
      failure_ = Failure::Refused;
      failureText_ = QStringLiteral("The frame page %1 would overwrite %2, which this export also writes. "
                                    "Choose another name for the export file.")
                         .arg(name, it.value());
    }
    return false;
  }
  taken_.insert(path, name);
  return true;
}

bool ExportOutputs::Reserve(const QString &name) {
  if (failed() || !Claim(name))
    return false;
  reserved_.insert(FileSystemPath(name));
  return true;
}

bool ExportOutputs::Open(File &file) {
  if (file.name.trimmed().isEmpty()) {
    Fail("Error opening ", file, ENOENT);
    return false;
  }
  // The rename in Commit replaces a symbolic link at the name rather than writing through
  // it, so a link is treated as no file at all.
  struct stat st {};
  const bool exists = ::lstat(file.target.constData(), &st) == 0 && !S_ISLNK(st.st_mode);
  if (exists && S_ISDIR(st.st_mode)) {
    Fail("Error opening ", file, EISDIR);
    return false;
  }
  QByteArray temp = file.target + ".tmp-XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    Fail("Error opening ", file, errno);
    return false;
  }
  file.temp = temp;
  file.fd = fd;
  file.buffer.reserve(kFlushAt + 4096);
  if (::fchmod(fd, exists ? (st.st_mode & 07777) : NewFileMode()) != 0) {
    Fail("Error opening ", file, errno);
    return false;
  }
  return true;
}

bool ExportOutputs::OpenMain() {
  return !failed() && Open(*main_);
}

bool ExportOutputs::OpenSide(const QString &name) {
  CloseSide();
  if (failed())
    return false;
  if (!reserved_.remove(FileSystemPath(name)) && !Claim(name))
    return false;
  side_ = std::make_unique<File>();
  side_->name = name;
  side_->target = QFile::encodeName(FileSystemPath(name));
  return Open(*side_);
}

void ExportOutputs::CloseSide() {
  if (!side_)
    return;
  Finish(*side_);
  finished_.push_back(std::move(side_));
}

void ExportOutputs::Out(QStringView line) {
  Write(*main_, line);
}

void ExportOutputs::Side(QStringView line) {
  if (side_)
    Write(*side_, line);
}

void ExportOutputs::Write(File &file, QStringView line) {
  if (failed() || file.fd < 0)
    return;
  qsizetype end = line.size();
  while (end > 0 && line[end - 1] == u' ')
    --end;
  line = line.first(end);
  const qsizetype used = file.buffer.size();
  file.buffer.resize(used + encoder_.requiredSpace(line.size()) + 1);
  char *out = encoder_.appendToBuffer(file.buffer.data() + used, line);
  *out++ = '\n';
  file.buffer.resize(out - file.buffer.constData());
  if (file.buffer.size() >= kFlushAt)
    Flush(file);
}

bool ExportOutputs::Flush(File &file) {
  if (failed())
    return false;
  if (!WriteAll(file.fd, file.buffer)) {
    Fail("Error adding to ", file, errno);
    return false;
  }
  file.buffer.resize(0);
  return true;
}

bool ExportOutputs::Finish(File &file) {
  if (file.fd < 0)
    return !failed();
  const bool flushed = Flush(file);
  const int closed = ::close(file.fd);
  file.fd = -1;
  if (flushed && closed != 0)
    Fail("Error adding to ", file, errno);
  return !failed();
}

// One sync for the whole set: a single file is synced alone; several are synced with their
// file system at once, which costs one flush instead of one per file.
bool ExportOutputs::Sync() {
  const int result = finished_.empty() ? ::fdatasync(main_->fd) : ::syncfs(main_->fd);
  if (result != 0)
    Fail("Error adding to ", *main_, errno);
  return result == 0;
}

bool ExportOutputs::Rename(File &file) {
  if (::rename(file.temp.constData(), file.target.constData()) != 0) {
    Fail("Error adding to ", file, errno);
    return false;
  }
  file.temp.clear();
  return true;
}

bool ExportOutputs::Commit() {
  CloseSide();
  if (failed() || main_->fd < 0 || !Flush(*main_) || !Sync() || !Finish(*main_))
    return false;
  for (const std::unique_ptr<File> &file : finished_)
    if (!Rename(*file))
      return false;
  if (!Rename(*main_))
    return false;
  SyncFolder(main_->target);
  return true;
}

void ExportOutputs::Discard() {
  CloseSide();
  auto remove = [](File &file) {
    if (file.fd >= 0)
      ::close(file.fd);
    file.fd = -1;
    if (!file.temp.isEmpty())
      ::unlink(file.temp.constData());
    file.temp.clear();
  };
  for (const std::unique_ptr<File> &file : finished_)
    remove(*file);
  remove(*main_);
}

} // namespace vx
