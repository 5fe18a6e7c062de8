#pragma once

#include <QString>
#include <QStringList>

namespace ql {

// Applies the program's command-line switches for this run, looking at every parameter
// (without the program name):
// - a parameter containing "/c:" in any case names the data directory: the text from its
//   fourth character on, blanks at its front removed, a separator added at its end unless
//   it has one ("\" or "/"); an empty rest leaves dataDirectory unchanged;
// - any other parameter containing "/a" in any case sets autoBrowseAtStart.
// A data directory path ("/c:/home/a/cache") never counts as "/a".
void ReadCommandLine(const QStringList &parameters, QString &dataDirectory, bool &autoBrowseAtStart);

} // namespace ql
