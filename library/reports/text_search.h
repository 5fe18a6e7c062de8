#pragma once

#include <QString>
#include <vector>

namespace vx {

// The text viewers' line test and scan, apart from their windows.
//
// A line matches when the search text occurs in it (both upper-cased by the run-time's rule
// unless the case must match). With whole words only the first occurrence is tested: it
// must begin the line or follow a blank, and be followed by a blank or by the end of the
// line's text without its trailing blanks. Lines count as followed by blanks, as records
// of a fixed width are. An empty search text matches nothing.
class LineSearch {
public:
  LineSearch(const QString &text, bool wholeWord, bool matchCase);
  bool Empty() const { return needle_.isEmpty(); }
  bool Matches(const QString &line) const;
  // The first matching row (from 1) among `from` to `to`, inclusive, stepping down when
  // `from` ≤ `to` and up otherwise; 0 when none matches. Rows outside the table are skipped.
  int Scan(const std::vector<QString> &lines, int from, int to) const;

private:
  QString needle_;
  int clippedLength_ = 0;
  bool wholeWord_;
  bool matchCase_;
};

} // namespace vx
