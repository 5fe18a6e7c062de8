#pragma once

#include <QString>

namespace ql {

// The hints of the control bar's on-line button: what a click on it would do.
inline const QString kOnLineHint = QStringLiteral("Switch to Off-Line mode");
inline const QString kOffLineHint = QStringLiteral("Switch to On-Line mode");

// Switches the proxy off-line (OffLineMode) or on-line, and shows the mode on the control
// bar's on-line button of the network window's links: released with kOffLineHint off-line,
// down with kOnLineHint on-line. Without a network window only the flag changes. This is the
// one way the network window's start, the control bar and the pseudo-host's /online and
// /offline switches change the mode.
void SetOffLineMode(bool offLine);

} // namespace ql
