#pragma once

#include <QString>

namespace vx {

// A text field of a record: at most N characters, cut on assignment. Trailing blanks do not
// matter: two values that differ only in them compare equal, and stores drop them.
template <int N> class FixedString {
public:
  static constexpr int width = N;

  FixedString() = default;
  FixedString(const QString &text) : text_(text.left(N)) {}
  FixedString(const char *text) : text_(QString::fromUtf8(text).left(N)) {}

  FixedString &operator=(const QString &text) {
    text_ = text.left(N);
    return *this;
  }
  FixedString &operator=(const char *text) { return *this = QString::fromUtf8(text); }

  const QString &text() const { return text_; }
  operator const QString &() const { return text_; }

  // The value without its trailing blanks.
  QString clipped() const {
    qsizetype end = text_.size();
    while (end > 0 && text_.at(end - 1) == QLatin1Char(' '))
      --end;
    return text_.left(end);
  }
  bool isBlank() const { return clipped().isEmpty(); }
  void clear() { text_.clear(); }

  friend bool operator==(const FixedString &a, const FixedString &b) { return a.clipped() == b.clipped(); }
  friend bool operator==(const FixedString &a, const QString &b) {
    return a.clipped() == FixedString(b).clipped();
  }

private:
  QString text_;
};

} // namespace vx
