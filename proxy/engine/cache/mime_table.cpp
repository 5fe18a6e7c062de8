#include "proxy/engine/cache/mime_table.h"

#include "proxy/engine/http/file_sync.h"
#include "proxy/platform/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {

namespace {

const char *const kBuiltInNames[TMimeTable::kBuiltInCount] = {
    "text/html",
    "image/gif",
    "image/jpeg",
    "text/plain",
    "text/richtext",
    "image/x-xbitmap",
    "image/xbitmap",
    "image/pjpeg",
    "image/tiff",
    "image/ief",
    "image/x-xwindowdump",
    "image/x-ms-bmp",
    "image/xbm",
    "image/x-xpixmap",
    "image/x-rgb",
    "image/x-portable-pixmap",
    "image/x-portable-graymap",
    "image/x-portable-bitmap",
    "image/x-portable-anymap",
    "image/x-cmu-raster",
    "video/x-sgi-movie",
    "video/x-msvideo",
    "video/quicktime",
    "video/mpeg",
    "video/avi",
    "audio/x-wav",
    "audio/wav",
    "audio/x-aiff",
    "audio/x-midi",
    "audio/x-pn-realaudio",
    "audio/aiff",
    "audio/basic",
    "application/msword",
    "application/x-troff-man",
    "application/x-sh",
    "application/x-latex",
    "application/x-csh",
    "application/rtf",
    "application/postscript",
    "application/octet-stream",
    "application/x-stuffit",
    "application/mac-binhex40",
    "application/fractals",
    "application/x-zip-compressed",
    "application/x-ns-proxy-autoconfig",
    "application/x-javascript",
    "application/x-tar",
    "application/x-gtar",
    "application/x-gzip",
    "application/x-compress",
    "application/x-mocha",
    "application/x-tcl",
    "application/x-cpio",
    "application/x-shar",
    "application/x-texinfo",
    "application/x-tex",
    "application/x-dvi",
    "application/octet-string",
    "application/x-msdownload",
    "application/zip",
    "www/unknown",
    "x-world/x-vrml",
    "audio/midi",
    "audio/x-mid",
    "image/fif",
    "image/png",
    "application/pdf",
    "application/x-httpd-cgi",
    "application/x-java-class",
    "application/x-gocserve",
    "application/x-tvml",
    "application/exe",
};

bool IsVisible(char c) {
  return c >= '!' && c <= '~';
}

} // namespace

TMimeTable::TMimeTable() {
  LoadMimeTypes(QString());
}

void TMimeTable::Append(const QByteArray &name) {
  names_.push_back(name);
  // The first occurrence keeps its index, as a front-to-back search would find it.
  const QByteArray lower = name.toLower();
  if (!index_by_lower_.contains(lower))
    index_by_lower_.insert(lower, static_cast<int32_t>(names_.size()));
}

void TMimeTable::LoadMimeTypes(const QString &dataDir) {
  names_.clear();
  index_by_lower_.clear();
  data_dir_ = dataDir;
  for (const char *name : kBuiltInNames)
    Append(name);
  if (dataDir.isEmpty())
    return;
  QFile file(QDir(dataDir).filePath(kMimeTypeFileName));
  if (!file.open(QIODevice::ReadOnly))
    return;
  // The file is read whole, up to a bound far beyond any real number of names; the first line
  // is the header.
  const QList<QByteArray> lines = file.read(kMaxFileSize).split('\n');
  for (qsizetype i = 1; i < lines.size(); ++i) {
    QByteArray line = lines[i];
    while (line.endsWith('\r'))
      line.chop(1);
    if (!line.isEmpty())
      Append(line.left(kMaxNameLength));
  }
}

QByteArray TMimeTable::MimeTypeName(int32_t index) const {
  if (index < 1 || index > Count())
    return QByteArrayLiteral("text/plain");
  return names_[static_cast<std::size_t>(index - 1)];
}

bool TMimeTable::AppendLearnedName(const QByteArray &name) const {
  if (data_dir_.isEmpty())
    return false;
  const QString path = QDir(data_dir_).filePath(kMimeTypeFileName);
  const QByteArray encoded = QFile::encodeName(path);
  const int fd = OpenForAppend(encoded, O_RDWR);
  if (fd < 0) {
    // The first learned name makes the file: header and names, whole or not at all. A link
    // planted under the name is replaced the same way.
    QByteArray text = QByteArray(kMimeTypeFileHeader) + "\r\n";
    for (std::size_t i = kBuiltInCount; i < names_.size(); ++i)
      text += names_[i] + "\r\n";
    try {
      WriteFileAtomically(path, text);
    } catch (const FileWriteError &) {
      return false;
    }
    return true;
  }
  // A line torn by a crash stays a line of its own (it was read as a name), so the new name
  // starts on a fresh line and every index keeps its name.
  QByteArray line = name + "\r\n";
  struct stat info {};
  char last = '\n';
  if (::fstat(fd, &info) == 0 && info.st_size > 0 && ::pread(fd, &last, 1, info.st_size - 1) == 1 &&
      last != '\n')
    line.prepend("\r\n");
  const bool ok = WriteAll(fd, line.constData(), static_cast<std::size_t>(line.size())) && ::fsync(fd) == 0;
  return (::close(fd) == 0) && ok;
}

int32_t TMimeTable::MimeTypeIndex(const QByteArray &contentType) {
  qsizetype begin = 0;
  qsizetype end = contentType.size();
  while (begin < end && !IsVisible(contentType[begin]))
    ++begin;
  while (end > begin && !IsVisible(contentType[end - 1]))
    --end;
  // Parameters (a charset, a multipart boundary) do not make a type of their own.
  const qsizetype semicolon = contentType.indexOf(';', begin);
  if (semicolon >= 0 && semicolon < end) {
    end = semicolon;
    while (end > begin && !IsVisible(contentType[end - 1]))
      --end;
  }
  if (begin == end)
    return 0;
  const QByteArray name = contentType.mid(begin, end - begin).left(kMaxNameLength);
  const auto found = index_by_lower_.constFind(name.toLower());
  if (found != index_by_lower_.cend())
    return *found;
  if (name.size() <= 2 || !name.contains('/'))
    return 0;
  Append(name);
  if (!AppendLearnedName(name)) {
    index_by_lower_.remove(name.toLower());
    names_.pop_back();
    return 0;
  }
  return Count();
}

} // namespace ql
