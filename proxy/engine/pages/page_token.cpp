#include "proxy/engine/pages/page_token.h"

#include "proxy/engine/http/text_routines.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

#include <array>

namespace ql {

namespace {

constexpr qsizetype kTokenDigits = 32;

const QByteArray &Secret() {
  static const QByteArray secret = [] {
    std::array<quint32, 8> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char *>(words.data()), sizeof words);
  }();
  return secret;
}

} // namespace

QByteArray PageToken(const QByteArray &action) {
  return QMessageAuthenticationCode::hash(action, Secret(), QCryptographicHash::Sha256)
      .toHex()
      .left(kTokenDigits);
}

bool IsPageToken(const QByteArray &token, const QByteArray &action) {
  const QByteArray expected = PageToken(action);
  if (token.size() != expected.size())
    return false;
  unsigned char differ = 0;
  for (qsizetype i = 0; i < token.size(); ++i)
    differ |= static_cast<unsigned char>(token[i] ^ expected[i]);
  return differ == 0;
}

QByteArray SwitchAction(const QByteArray &command, const QByteArray &rest) {
  QByteArray normal = rest;
  normal.replace('\\', '/');
  return command + QByteArray::fromPercentEncoding(normal);
}

QByteArray TokenPath(const QByteArray &command) {
  // The pages write these paths once per bookmark or entry: the fixed commands' paths are
  // worked out once.
  static const std::array<QByteArray, 4> kFixed = {"/bookmarks", "/cache", "/gbookmarks", "/gcache"};
  static const std::array<QByteArray, 4> kPaths = [] {
    std::array<QByteArray, 4> paths;
    for (std::size_t i = 0; i < kFixed.size(); ++i)
      paths[i] = kFixed[i] + ';' + PageToken(kFixed[i]);
    return paths;
  }();
  for (std::size_t i = 0; i < kFixed.size(); ++i) {
    if (kFixed[i] == command)
      return kPaths[i];
  }
  return command + ';' + PageToken(command);
}

QByteArray SwitchPath(const QByteArray &command, const QByteArray &target) {
  return command + ';' + PageToken(SwitchAction(command, '?' + target)) + '?' + target;
}

QByteArray TakePageToken(QByteArray &rest) {
  if (!rest.startsWith(';'))
    return {};
  qsizetype end = 1;
  while (end < rest.size() && HexDigitValue(rest[end]) >= 0)
    ++end;
  const QByteArray token = rest.mid(1, end - 1);
  rest.remove(0, end);
  return token;
}

} // namespace ql
