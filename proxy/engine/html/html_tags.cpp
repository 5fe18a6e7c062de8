#include "proxy/engine/html/html_tags.h"

namespace ql {

THtmlTagReader::THtmlTagReader(const QByteArray &text, qsizetype maxTagLength)
    : text_(text), max_(maxTagLength) {}

bool THtmlTagReader::Next(QByteArray &tag) {
  const qsizetype size = text_.size();
  while (pos_ < size) {
    const qsizetype open = text_.indexOf('<', pos_);
    if (open < 0) {
      pos_ = size;
      return false;
    }
    pos_ = open + 1;
    tag.clear();
    bool comment = false;
    while (pos_ < size) {
      const char c = text_[pos_++];
      if (tag.size() < max_)
        tag.append(c);
      if (c == '>')
        return true;
      if (c == '-' && tag == "!--") {
        comment = true;
        if (!short_comments_) {
          const qsizetype end = text_.indexOf("-->", pos_);
          if (end >= 0) {
            pos_ = end + 3;
            break;
          }
          short_comments_ = true;
        }
        const qsizetype close = text_.indexOf('>', pos_);
        pos_ = close < 0 ? size : close + 1;
        break;
      }
    }
    if (!comment)
      return !tag.isEmpty();
  }
  return false;
}

} // namespace ql
