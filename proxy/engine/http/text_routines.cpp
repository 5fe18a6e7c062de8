#include "proxy/engine/http/text_routines.h"

#include <algorithm>
#include <cstring>

namespace ql {
namespace {

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

bool IsFileNameChar(char c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
    return true;
  return c != 0 && std::strchr("!#$%&'()-@^_`{}~", c) != nullptr;
}

} // namespace

void TrimBlanks(QByteArray &text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && IsBlank(text[begin]))
    ++begin;
  while (end > begin && IsBlank(text[end - 1]))
    --end;
  if (begin > 0 || end < text.size())
    text = text.mid(begin, end - begin);
}

std::string_view TrimBlanksAndControls(std::string_view text) {
  const auto blankOrControl = [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 32 || u == 127;
  };
  while (!text.empty() && blankOrControl(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blankOrControl(text.back()))
    text.remove_suffix(1);
  return text;
}

void TrimBlanksStr(QByteArray &text) {
  TrimBlanks(text);
  text.truncate(kShortTextMax);
}

QByteArray SafeFileName(const QByteArray &text) {
  QByteArray result;
  result.reserve(text.size());
  bool dotKept = false;
  for (qsizetype i = text.size() - 1; i >= 0; --i) {
    char c = text[i];
    if (c == '.') {
      if (!dotKept)
        result += c;
      dotKept = true;
    } else if (IsFileNameChar(c)) {
      result += c;
    }
  }
  std::reverse(result.begin(), result.end());
  return ShortText(result);
}

bool StartsWithNoCase(const QByteArray &text, const char *prefix) {
  qsizetype n = static_cast<qsizetype>(std::strlen(prefix));
  return text.size() >= n && QByteArrayView(text).first(n).compare(prefix, Qt::CaseInsensitive) == 0;
}

} // namespace ql
