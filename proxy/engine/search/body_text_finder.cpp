#include "proxy/engine/search/body_text_finder.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {

namespace {

QByteArray Prepared(const QByteArray &text, bool matchCase) {
  QByteArray prepared = text;
  if (!matchCase)
    UpperCaseInPlace(prepared.data(), static_cast<std::size_t>(prepared.size()));
  return prepared;
}

// Reads exactly size bytes at offset; false on an error or a short file.
bool ReadAt(int fd, char *into, std::size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t n = ::pread(fd, into, size, offset);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    into += n;
    size -= static_cast<std::size_t>(n);
    offset += n;
  }
  return true;
}

} // namespace

void UpperCaseInPlace(char *data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] >= 'a' && data[i] <= 'z')
      data[i] = static_cast<char>(data[i] - ('a' - 'A'));
  }
}

TBodyTextFinder::TBodyTextFinder(const QByteArray &text, bool matchCase)
    : text_(Prepared(text, matchCase)), matchCase_(matchCase), searcher_(text_.cbegin(), text_.cend()) {
  buffer_.resize(static_cast<std::size_t>(kPieceSize + text_.size()));
}

bool TBodyTextFinder::Matches(char *piece, std::size_t size) const {
  if (!matchCase_)
    UpperCaseInPlace(piece, size);
  const char *end = piece + size;
  return std::search(static_cast<const char *>(piece), end, searcher_) != end;
}

bool TBodyTextFinder::FileContains(const QString &path, const std::function<bool()> &goOn) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  struct stat info {};
  bool found = false;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    const qint64 size = info.st_size;
    const qint64 overlap = text_.size();
    const qint64 pieces = size < kPieceSize ? 1 : size / kPieceSize + 1;
    for (qint64 k = 0; k < pieces && !found; ++k) {
      if (k > 0 && goOn && !goOn())
        break;
      const qint64 start = k == 0 ? 0 : k * kPieceSize - overlap;
      const qint64 end = std::min((k + 1) * kPieceSize, size);
      if (end <= start)
        continue;
      const auto length = static_cast<std::size_t>(end - start);
      if (!ReadAt(fd, buffer_.data(), length, static_cast<off_t>(start)))
        break;
      found = Matches(buffer_.data(), length);
    }
  }
  ::close(fd);
  return found;
}

} // namespace ql
