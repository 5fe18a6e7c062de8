#include "library/core/control_scaling.h"

#include "library/core/window_position.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/control.h"
#include "library/runtime/windows/window.h"

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");

QString EntryName(int control) {
  return QStringLiteral("Ctrl%1Size").arg(control);
}

// A fraction in thousandths, cut to three digits: a control reaching the window's far edge
// is kept at 999 rather than written as a fourth digit that would shift every later value.
int Thousandths(int part, int whole) {
  if (whole <= 0)
    return 0;
  return std::clamp(int(qint64(part) * 1000 / whole), 0, 999);
}

} // namespace

QString FormatScaledControl(const std::array<int, 4> &thousandths) {
  QString text;
  for (int value : thousandths)
    text += QStringLiteral("%1").arg(std::clamp(value, 0, 999), 3, 10, QLatin1Char('0'));
  return text;
}

std::array<int, 4> ParseScaledControl(const QString &entry) {
  std::array<int, 4> values{};
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    const int value = entry.mid(i * 3, 3).toInt(&ok);
    values[size_t(i)] = ok && value >= 0 ? value : 0;
  }
  return values;
}

ControlScaling::ControlScaling(Window &window, QString section, QString signature, int count)
    : window_(window), section_(std::move(section)), signature_(std::move(signature)),
      thousandths_(size_t(count)) {}

ControlScaling::ControlScaling(Window &window, int count) : ControlScaling(window, {}, {}, count) {}

QSize ControlScaling::ClientSize() const {
  const QRect pixels(QPoint(0, 0), window_.ClientArea()->size());
  return window_.Units().ToUnits(pixels).size();
}

void ControlScaling::Measure() {
  const QSize size = ClientSize();
  for (size_t n = 1; n <= thousandths_.size(); ++n) {
    const Control *control = window_.Find(int(n));
    const QRect at = control ? control->Position() : QRect();
    thousandths_[n - 1] = {Thousandths(at.x(), size.width()), Thousandths(at.y(), size.height()),
                           Thousandths(at.width(), size.width()), Thousandths(at.height(), size.height())};
  }
}

void ControlScaling::Init() {
  if (section_.isEmpty()) {
    Measure();
    return;
  }
  IniWriteBatch layout;
  if (GETINI(section_, QStringLiteral("WindowScaled"), QStringLiteral("0"), kIni) == signature_) {
    RestoreWindowPosition(window_, section_, kIni);
    for (size_t n = 1; n <= thousandths_.size(); ++n)
      thousandths_[n - 1] =
          ParseScaledControl(GETINI(section_, EntryName(int(n)), QStringLiteral("000000000000"), kIni));
    Apply();
    return;
  }
  SaveWindowPosition(window_, section_, kIni);
  Measure();
  for (size_t n = 1; n <= thousandths_.size(); ++n)
    PUTINI(section_, EntryName(int(n)), FormatScaledControl(thousandths_[n - 1]), kIni);
  PUTINI(section_, QStringLiteral("WindowScaled"), signature_, kIni);
}

void ControlScaling::Apply() {
  if (!section_.isEmpty() && !window_.IsMaximized())
    SaveWindowPosition(window_, section_, kIni);
  const QSize size = ClientSize();
  for (size_t n = 1; n <= thousandths_.size(); ++n) {
    Control *control = window_.Find(int(n));
    if (!control)
      continue;
    const auto &t = thousandths_[n - 1];
    control->SetPosition(
        QRect(int(qint64(size.width()) * t[0] / 1000), int(qint64(size.height()) * t[1] / 1000),
              int(qint64(size.width()) * t[2] / 1000), int(qint64(size.height()) * t[3] / 1000)));
  }
}

} // namespace vx
