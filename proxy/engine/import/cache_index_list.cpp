#include "proxy/engine/import/cache_index_list.h"

#include "proxy/engine/http/text_routines.h"

namespace ql {

namespace {

bool Printable(char c) {
  return c >= 32 && c <= 126;
}

} // namespace

QByteArray KeepPrintable(QByteArray &rest, qsizetype max) {
  qsizetype begin = 0;
  while (begin < rest.size() && !Printable(rest[begin]))
    ++begin;
  qsizetype end = begin;
  while (end < rest.size() && Printable(rest[end]))
    ++end;
  QByteArray field = rest.mid(begin, std::min(end - begin, max));
  rest.remove(0, std::min(end + 1, rest.size()));
  return field;
}

std::optional<TIndexRecord> ReadIndexListLine(const QByteArray &line) {
  QByteArray rest = line;
  KeepPrintable(rest, 3);
  KeepPrintable(rest, 12);
  KeepPrintable(rest, 12);
  TIndexRecord record;
  record.FileName = KeepPrintable(rest, kShortTextMax);
  record.Url = KeepPrintable(rest, kShortTextMax);
  record.ContentType = KeepPrintable(rest, 50).toLower();
  KeepPrintable(rest, 12);
  if (rest.isEmpty())
    return std::nullopt;
  return record;
}

} // namespace ql
