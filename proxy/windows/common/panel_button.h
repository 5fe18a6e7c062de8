#pragma once

class QObject;
class QString;
class QToolButton;
class QWidget;

namespace ql {

// A flat button with its text under the icon, added to the end of panel's layout. hint is
// "short|long": the short part is the tool tip, the long part the status bar text. filter, when
// given, sees the button's events (the windows use it to show the long hint on hover).
QToolButton *AddPanelButton(QWidget &panel, const QString &text, const QString &hint, QObject *filter);

} // namespace ql
