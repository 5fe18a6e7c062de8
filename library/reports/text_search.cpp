#include "library/reports/text_search.h"

#include "library/runtime/language/runtime_upper.h"
#include "library/runtime/language/string_functions.h"

#include <algorithm>

namespace vx {

namespace {

// The line's length without its trailing blanks.
qsizetype ClippedLength(QStringView line) {
  qsizetype end = line.size();
  while (end > 0 && line[end - 1] == u' ')
    --end;
  return end;
}

// The first position of `needle` in `line`, comparing by the run-time's upper case.
qsizetype FindUpper(QStringView line, QStringView upperNeedle) {
  const qsizetype last = line.size() - upperNeedle.size();
  const QChar first = upperNeedle[0];
  for (qsizetype i = 0; i <= last; ++i) {
    if (RuntimeUpper(line[i]) != first)
      continue;
    qsizetype j = 1;
    while (j < upperNeedle.size() && RuntimeUpper(line[i + j]) == upperNeedle[j])
      ++j;
    if (j == upperNeedle.size())
      return i;
  }
  return -1;
}

} // namespace

LineSearch::LineSearch(const QString &text, bool wholeWord, bool matchCase)
    : needle_(matchCase ? text : RuntimeUpper(text)), clippedLength_(int(CLIP(text).size())),
      wholeWord_(wholeWord), matchCase_(matchCase) {}

bool LineSearch::Matches(const QString &text) const {
  if (needle_.isEmpty())
    return false;
  // A line is a record of blanks after its text: a search text that ends in blanks finds
  // them at the line's end too.
  const int padding = int(needle_.size()) - clippedLength_;
  const QString line = padding > 0 ? text + QString(padding, QLatin1Char(' ')) : text;
  const qsizetype at = matchCase_ ? line.indexOf(needle_) : FindUpper(line, needle_);
  if (at < 0)
    return false;
  if (!wholeWord_)
    return true;
  if (at > 0 && line[at - 1] != u' ')
    return false;
  const qsizetype after = at + clippedLength_;
  return after >= ClippedLength(line) || line[after] == u' ';
}

int LineSearch::Scan(const std::vector<QString> &lines, int from, int to) const {
  const int count = int(lines.size());
  const int step = from <= to ? 1 : -1;
  from = std::clamp(from, 1, std::max(1, count));
  to = std::clamp(to, 1, std::max(1, count));
  if (count == 0 || Empty())
    return 0;
  for (int row = from;; row += step) {
    if (Matches(lines[std::size_t(row - 1)]))
      return row;
    if (row == to)
      return 0;
  }
}

} // namespace vx
