#pragma once

#include <QPixmap>
#include <QSize>

namespace ql {

// The program's picture, shown by the splash and the About box: a globe above a stack of
// stored pages, drawn by the program at the given size. It carries no text.
QPixmap QuenlarkPicture(QSize size);

} // namespace ql
