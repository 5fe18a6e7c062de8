#include "library/runtime/data/text_decode.h"

#include <QStringDecoder>

namespace vx {

namespace {

bool IsAscii(QByteArrayView bytes) {
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  }
  return true;
}

} // namespace

QString DecodeText(QByteArrayView bytes) {
  if (IsAscii(bytes))
    return QString::fromLatin1(bytes);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError())
    return text;
  return QString::fromLatin1(bytes);
}

} // namespace vx
