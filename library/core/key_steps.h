#pragma once

#include <QString>

namespace vx {

// The key steps behind a list's scroll thumb: 100 key values spaced evenly from the first
// to the last key value of the list, so that a thumb position (1 to 100) can be turned into
// a key value to start reading from, and a key value back into a position.

// Numeric steps: step 1 is `first`, step 100 `last`, and step k first + (last - first) / 99
// * (k - 1) between them (falling when `last` is below `first`).
class NumericSteps {
public:
  void Init(double first, double last);
  double Next();

private:
  double first_ = 0;
  double last_ = 0;
  double increment_ = 0;
  int counter_ = 0;
};

// Text steps: the values share the common prefix of `first` and `last`; the four characters
// after it are read as a number written with the letters A to Z as digits 1 to 26 (any other
// character, and a blank past the value's end, counts 0), and the steps between the two
// numbers are written back the same way. `last` shorter than the field is filled with "Z".
class StringSteps {
public:
  void Init(const QString &first, const QString &last, int length);
  QString Next();

private:
  QString prefix_;
  QString firstDigits_;
  QString lastDigits_;
  long low_ = 0;
  long increment_ = 0;
  int counter_ = 0;
};

// The program's one generator of each kind, as the lists use them.
void InitNumericSteps(double first, double last);
double NextNumericStep();
void InitStringSteps(const QString &first, const QString &last, int length);
QString NextStringStep();

} // namespace vx
