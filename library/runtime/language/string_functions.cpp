#include "library/runtime/language/string_functions.h"

#include "library/runtime/language/runtime_upper.h"

namespace vx {

QString CLIP(const QString &text) {
  qsizetype end = text.size();
  while (end > 0 && text[end - 1] == u' ')
    --end;
  return text.left(end);
}

QString LEFT(const QString &text) {
  qsizetype start = 0;
  while (start < text.size() && text[start] == u' ')
    ++start;
  return text.mid(start);
}

QString UPPER(const QString &text) {
  return RuntimeUpper(text);
}

QString LOWER(const QString &text) {
  return RuntimeLower(text);
}

int LEN(const QString &text) {
  return static_cast<int>(text.size());
}

QString SUB(const QString &text, int start, int length) {
  if (length <= 0 || start == 0)
    return {};
  qint64 from = start > 0 ? qint64(start) - 1 : text.size() + start;
  qint64 to = from + length;
  from = std::max<qint64>(from, 0);
  to = std::min<qint64>(to, text.size());
  return from < to ? text.mid(from, to - from) : QString();
}

int INSTRING(const QString &sub, const QString &text, int step, int start) {
  if (sub.isEmpty() || step < 1 || start < 1)
    return 0;
  if (step == 1) {
    qsizetype pos = text.indexOf(sub, start - 1);
    return pos < 0 ? 0 : static_cast<int>(pos + 1);
  }
  for (qsizetype pos = start - 1; pos + sub.size() <= text.size(); pos += step) {
    if (QStringView(text).sliced(pos, sub.size()) == sub)
      return static_cast<int>(pos / step + 1);
  }
  return 0;
}

} // namespace vx
