#include "library/runtime/data/line_file.h"

#include "library/runtime/data/error_state.h"
#include "library/runtime/data/text_decode.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

namespace {

constexpr qsizetype kReadChunk = 64 * 1024;

// The length of `bytes` without an incomplete UTF-8 sequence at its end, so that a piece cut
// from the middle of a long line does not end inside a character.
qsizetype CompleteUtf8Prefix(QByteArrayView bytes) {
  qsizetype end = bytes.size();
  qsizetype lead = end;
  while (lead > 0 && end - lead < 4 && (static_cast<unsigned char>(bytes[lead - 1]) & 0xC0) == 0x80)
    --lead;
  if (lead == 0)
    return end;
  unsigned char c = static_cast<unsigned char>(bytes[lead - 1]);
  qsizetype need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  return (end - (lead - 1) < need) ? lead - 1 : end;
}

// Whether DecodeText read `bytes` as UTF-8 with some character of more than one byte.
bool DecodedMultiByte(const QString &text, QByteArrayView bytes) {
  return text.size() != bytes.size() || text != QString::fromLatin1(bytes);
}

} // namespace

LineFile::LineFile(const QString &name, int recordLength)
    : name_(name), recordLength_(recordLength > 0 ? recordLength : 1) {}

LineFile::~LineFile() {
  if (fd_ >= 0)
    ::close(fd_);
}

QByteArray LineFile::Path() const {
  QString path = name_.trimmed();
  path.replace(u'\\', u'/');
  return QFile::encodeName(path);
}

void LineFile::Fail(int code) {
  if (code == 90)
    SetError(90, name_, errno, QString::fromLocal8Bit(std::strerror(errno)));
  else
    SetError(code, name_);
}

void LineFile::CREATE() {
  if (fd_ >= 0)
    return SetError(52, name_);
  // Never through a symbolic link: truncating would empty the link's target.
  int fd = ::open(Path().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0)
    return Fail(errno == ENOENT ? 2 : 90);
  ::close(fd);
  ClearError();
}

void LineFile::REMOVE() {
  if (fd_ >= 0)
    return SetError(52, name_);
  if (::unlink(Path().constData()) != 0)
    return Fail(errno == ENOENT ? 2 : 90);
  ClearError();
}

void LineFile::OPEN(Access access, Share share) {
  if (fd_ >= 0)
    return SetError(52, name_);
  const bool writable = access == Access::ReadWrite;
  // A file opened for writing is never reached through a symbolic link; one only read may be.
  int fd = ::open(Path().constData(), (writable ? O_RDWR | O_APPEND | O_NOFOLLOW : O_RDONLY) | O_CLOEXEC);
  if (fd < 0)
    return Fail(errno == ENOENT || errno == ENOTDIR ? 2 : 90);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    if (S_ISDIR(st.st_mode))
      errno = EISDIR;
    Fail(90);
    ::close(fd);
    return;
  }
  if (::flock(fd, (share == Share::DenyAll ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    int lockErrno = errno;
    ::close(fd);
    errno = lockErrno;
    return Fail(lockErrno == EWOULDBLOCK ? 32 : 90);
  }
  fd_ = fd;
  writable_ = writable;
  written_ = false;
  Rewind(st.st_size);
  ClearError();
}

void LineFile::SET() {
  if (fd_ < 0)
    return SetError(37, name_);
  struct stat st {};
  if (::fstat(fd_, &st) != 0)
    return Fail(90);
  Rewind(st.st_size);
  ClearError();
}

void LineFile::Rewind(qint64 bytes) {
  readOffset_ = 0;
  buffer_.clear();
  bufferPos_ = 0;
  atEnd_ = false;
  bytes_ = bytes;
}

// Makes at least `wanted` unread bytes available in the buffer, unless the file ends first.
bool LineFile::FillTo(qsizetype wanted) {
  if (bufferPos_ > 0) {
    readOffset_ += bufferPos_;
    buffer_.remove(0, bufferPos_);
    bufferPos_ = 0;
  }
  while (!atEnd_ && buffer_.size() < wanted) {
    qsizetype have = buffer_.size();
    qsizetype chunk = std::max(kReadChunk, wanted - have);
    buffer_.resize(have + chunk);
    ssize_t n = ::pread(fd_, buffer_.data() + have, static_cast<size_t>(chunk), readOffset_ + have);
    if (n < 0 && errno == EINTR) {
      buffer_.resize(have);
      continue;
    }
    buffer_.resize(have + std::max<ssize_t>(n, 0));
    if (n < 0)
      return false;
    if (n == 0)
      atEnd_ = true;
  }
  return true;
}

void LineFile::NEXT() {
  bytes_ = 0;
  if (fd_ < 0)
    return SetError(37, name_);
  // A record of n characters takes at most 3n bytes of UTF-8 (4 for a pair of two); the
  // window also holds the line terminator.
  const qsizetype window = 4 * static_cast<qsizetype>(recordLength_) + 2;
  // The buffer is refilled only when the line in hand is not complete in it: a refill moves
  // what is left to the front, which for a long record costs far more than the line.
  if (buffer_.size() - bufferPos_ < window && !atEnd_ &&
      QByteArrayView(buffer_).sliced(bufferPos_).indexOf('\n') < 0 && !FillTo(window))
    return Fail(90);
  QByteArrayView rest = QByteArrayView(buffer_).sliced(bufferPos_);
  if (rest.isEmpty())
    return SetError(33, name_);

  qsizetype lineEnd = rest.first(std::min(window, rest.size())).indexOf('\n');
  if (lineEnd < 0 && atEnd_ && rest.size() <= window)
    lineEnd = rest.size(); // the last line has no terminator
  QByteArrayView piece;
  qsizetype terminator = 0;
  if (lineEnd >= 0) {
    piece = rest.first(lineEnd);
    terminator = lineEnd < rest.size() ? 1 : 0;
    if (piece.endsWith('\r')) {
      piece.chop(1);
      ++terminator;
    }
  } else {
    piece = rest.first(CompleteUtf8Prefix(rest.first(window)));
  }

  QString text = DecodeText(piece);
  qsizetype consumed = piece.size() + terminator;
  if (text.size() > recordLength_) {
    const bool multiByte = DecodedMultiByte(text, piece);
    qsizetype keep = recordLength_;
    if (text[keep - 1].isHighSurrogate() && keep > 1)
      --keep;
    text.truncate(keep);
    consumed = multiByte ? text.toUtf8().size() : text.size();
  }
  line = text;
  bufferPos_ += consumed;
  bytes_ = consumed;
  ClearError();
}

void LineFile::ADD() {
  if (fd_ < 0)
    return SetError(37, name_);
  if (!writable_)
    return SetError(5, name_);
  qsizetype end = std::min<qsizetype>(line.size(), recordLength_);
  while (end > 0 && line[end - 1] == u' ')
    --end;
  QByteArray bytes = QStringView(line).first(end).toUtf8();
  bytes += '\n';
  const char *p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd_, p, static_cast<size_t>(left));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return Fail(90);
    p += n;
    left -= n;
  }
  written_ = true;
  atEnd_ = false; // a read that had found the end may now go on
  ClearError();
}

void LineFile::CLOSE() {
  if (fd_ < 0)
    return SetError(37, name_);
  bool synced = !written_ || ::fdatasync(fd_) == 0;
  int syncErrno = errno;
  ::close(fd_);
  fd_ = -1;
  buffer_.clear();
  bufferPos_ = 0;
  if (!synced) {
    errno = syncErrno;
    return Fail(90);
  }
  ClearError();
}

} // namespace vx
