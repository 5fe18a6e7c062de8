#include "library/core/key_steps.h"

#include "library/runtime/language/runtime_upper.h"

namespace vx {

namespace {

constexpr int kLetters = 26; // the alphabet: A to Z
constexpr int kBase = kLetters + 1;
constexpr int kDigits = 4;

int DigitOf(QChar c) {
  const QChar upper = RuntimeUpper(c);
  return upper >= QLatin1Char('A') && upper <= QLatin1Char('Z') ? upper.unicode() - 'A' + 1 : 0;
}

// The four characters after the prefix as a number; characters past the value's last
// non-blank one count 0.
long ReadDigits(const QString &value, int from) {
  int end = value.size();
  while (end > 0 && value.at(end - 1) == QLatin1Char(' '))
    --end;
  long number = 0;
  for (int i = 0; i < kDigits; ++i) {
    const int at = from + i;
    number = number * kBase + (at < end ? DigitOf(value.at(at)) : 0);
  }
  return number;
}

QString WriteDigits(long number) {
  QString text(kDigits, QLatin1Char('A'));
  for (int i = kDigits - 1; i >= 0; --i) {
    const int digit = static_cast<int>(number % kBase);
    number /= kBase;
    text[i] = QLatin1Char(static_cast<char>('A' + (digit == 0 ? 0 : digit - 1)));
  }
  return text;
}

NumericSteps &Numeric() {
  static NumericSteps steps;
  return steps;
}

StringSteps &Strings() {
  static StringSteps steps;
  return steps;
}

} // namespace

void NumericSteps::Init(double first, double last) {
  first_ = first;
  last_ = last;
  increment_ = (last - first) / 99;
  counter_ = 0;
}

double NumericSteps::Next() {
  ++counter_;
  if (counter_ == 1)
    return first_;
  if (counter_ == 100)
    return last_;
  return first_ + increment_ * (counter_ - 1);
}

void StringSteps::Init(const QString &first, const QString &last, int length) {
  const QString a = first.left(length).leftJustified(length, QLatin1Char(' '));
  QString b = last.left(length);
  while (b.endsWith(QLatin1Char(' ')))
    b.chop(1);
  b = b.leftJustified(length, QLatin1Char('Z'));
  int common = 0;
  while (common < length && a.at(common) == b.at(common))
    ++common;
  prefix_ = a.left(common);
  firstDigits_ = a.mid(common, kDigits);
  lastDigits_ = b.mid(common, kDigits);
  low_ = ReadDigits(a, common);
  const long high = ReadDigits(b, common);
  increment_ = (high - low_) / 99;
  counter_ = 0;
}

QString StringSteps::Next() {
  ++counter_;
  if (counter_ == 1)
    return prefix_ + firstDigits_;
  if (counter_ == 100)
    return prefix_ + lastDigits_;
  return prefix_ + WriteDigits(low_ + increment_ * (counter_ - 1));
}

void InitNumericSteps(double first, double last) {
  Numeric().Init(first, last);
}
double NextNumericStep() {
  return Numeric().Next();
}
void InitStringSteps(const QString &first, const QString &last, int length) {
  Strings().Init(first, last, length);
}
QString NextStringStep() {
  return Strings().Next();
}

} // namespace vx
