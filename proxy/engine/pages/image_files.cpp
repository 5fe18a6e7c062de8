#include "proxy/engine/pages/image_files.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace ql {

namespace {

constexpr char kNotFound[] = "HTTP/1.0 404 File Not Found\r\ncontent-type: text/html; "
                             "charset=UTF-8\r\n\r\n<H1>404 File Not Found</H1>";
// The shipped pictures are small; a file beyond this is not one of them.
constexpr qint64 kMaxImageSize = 1 << 20;

} // namespace

const std::vector<QByteArray> &ShippedImageNames() {
  static const std::vector<QByteArray> names = {
      "online.gif", "offline.gif", "bookmark.gif", "gbkmark.gif",  "cache.gif",  "gcache.gif", "logo.gif",
      "open.gif",   "leaf.gif",    "auto.gif",     "nexttime.gif", "list.gif",   "text.gif",   "image.gif",
      "audio.gif",  "video.gif",   "other.gif",    "backward.gif", "forward.gif"};
  return names;
}

QByteArray ImageAnswer(const QString &imagesDirectory, const QByteArray &name) {
  const std::vector<QByteArray> &names = ShippedImageNames();
  if (std::find(names.begin(), names.end(), name) == names.end())
    return kNotFound;
  QFile file(QDir(imagesDirectory).filePath(QString::fromLatin1(name)));
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxImageSize)
    return kNotFound;
  const QByteArray body = file.readAll();
  if (body.size() != file.size())
    return kNotFound;
  const QByteArray lower = name.toLower();
  const char *type = lower.endsWith(".gif")   ? "image/gif"
                     : lower.endsWith(".jpg") ? "image/jpeg"
                                              : "text/html";
  return QByteArray("HTTP/1.0 200 OK\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: ") + type +
         "\r\nContent-length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

} // namespace ql
