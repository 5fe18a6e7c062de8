#pragma once

#include <QByteArray>

namespace ql {

// Walks the tags of an HTML text without building a tree. Each tag text is what follows a "<"
// up to and including the next ">", cut to a maximum length (the walk itself goes on to the
// ">"). Comments are skipped: one that starts "<!--" ends at the next "-->"; once a comment of
// the text has no "-->" before the end, it and every later comment end at their next ">".
// The reader keeps a reference to text, which must outlive it. It never reads past the end.
class THtmlTagReader {
public:
  THtmlTagReader(const QByteArray &text, qsizetype maxTagLength);

  // The next tag text, or false at the end of the text. A tag cut off by the end of the text
  // is returned as far as it goes.
  bool Next(QByteArray &tag);

  // Where the walk stands: just after the last tag's ">".
  qsizetype Pos() const { return pos_; }

private:
  const QByteArray &text_;
  qsizetype max_;
  qsizetype pos_ = 0;
  bool short_comments_ = false;
};

} // namespace ql
