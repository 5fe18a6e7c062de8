#pragma once

#include <QSize>
#include <QString>
#include <array>
#include <vector>

namespace vx {

class Window;

// The proportional layout of a resizable window's controls: each control's position and
// size is kept as fractions (thousandths) of the window's client width and height, so that
// the controls grow and shrink with the window. The fractions are measured once from the
// window's own layout and kept in the window's section of VORNIX.INI ("Ctrl<n>Size", twelve
// digits: x, y, width, height, three digits each) under a layout signature
// ("WindowScaled"), together with the window's place, in one replacement of the file; a
// later opening with the same signature restores them instead.
// A window without a section of its own measures its layout at every opening and keeps
// nothing. Controls are numbered 1 to `count`. The object refers to the window, which must
// outlive it.
class ControlScaling {
public:
  ControlScaling(Window &window, QString section, QString signature, int count);
  ControlScaling(Window &window, int count);

  // InitControlScaling: once, after the window is opened and placed.
  void Init();
  // ApplyControlScaling: after Init's restore and on every resize.
  void Apply();

private:
  QSize ClientSize() const;
  void Measure();

  Window &window_;
  QString section_;
  QString signature_;
  std::vector<std::array<int, 4>> thousandths_;
};

// The twelve digits of one control's entry, and back; a missing or malformed part reads 0.
QString FormatScaledControl(const std::array<int, 4> &thousandths);
std::array<int, 4> ParseScaledControl(const QString &entry);

} // namespace vx
