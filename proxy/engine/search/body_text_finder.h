#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace ql {

// Finds a text in stored bodies without loading them whole: a body of at most 7999 bytes is
// read at once, a larger one in pieces of 8000 bytes, each after the first starting the
// text's length earlier so that a match across a boundary is found. Each piece is
// upper-cased (ASCII letters) unless the case must match, and searched as bytes; reading
// stops at the first match.
class TBodyTextFinder {
public:
  static constexpr qint64 kPieceSize = 8000;

  // text must not be empty.
  TBodyTextFinder(const QByteArray &text, bool matchCase);
  TBodyTextFinder(const TBodyTextFinder &) = delete;
  TBodyTextFinder &operator=(const TBodyTextFinder &) = delete;

  // True when the file at path holds the text. A file that cannot be read gives false.
  // Between pieces goOn is asked whether to carry on; false gives up (false).
  bool FileContains(const QString &path, const std::function<bool()> &goOn = {});

private:
  bool Matches(char *piece, std::size_t size) const;

  QByteArray text_;
  bool matchCase_;
  std::boyer_moore_horspool_searcher<QByteArray::const_iterator> searcher_;
  std::vector<char> buffer_;
};

// The ASCII upper case of every byte in place.
void UpperCaseInPlace(char *data, std::size_t size);

} // namespace ql
