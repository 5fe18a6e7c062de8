#pragma once

#include <QStringList>

namespace ql {

class TBMInfo;

// The Autobrowse settings of a bookmark, or the defaults that a folder gives the bookmarks
// placed in it, written out as sentences, one a line: the title (and a bookmark's URL), the
// schedule, the next-session retrieval, the depth and the rule for links to other sites.
QStringList ExplainAutobrowseSettings(const TBMInfo &info, bool folder);

} // namespace ql
