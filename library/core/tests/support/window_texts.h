#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vx::test {

// The texts inside `root` that the room they are given cuts off, as "text: needed > given":
// labels, buttons, group titles, tab rows and list headings.
QStringList ClippedTexts(QWidget *root);

// Fails the test when `window` cuts off one of its texts and, with VORNIX_SCREENSHOTS set to
// a folder, saves a picture of it there as `name`.png (scripts/screenshot-library).
void LookAt(QWidget *window, const QString &name);

} // namespace vx::test
