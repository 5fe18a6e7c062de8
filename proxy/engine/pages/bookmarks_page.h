#pragma once

#include "proxy/engine/http/dates.h"
#include "proxy/engine/pages/proxy_pages.h"

#include <QByteArray>

#include <vector>

namespace ql {

class TBookmarkTree;
struct TCachePageOptions;

// The folders of the tree in tree order, each with its title, its depth (0 at the top) and its
// serial id as its identity, for the add-bookmark forms.
std::vector<TFolderItem> BookmarkFolders(TBookmarkTree &tree);

// The whole answer of the bookmarks page: the tree as nested lists (folders in bold, the top
// ones large; bookmarks linked, with an icon for their Autobrowse state and a link that lists
// their site's cache entries), then the add-bookmark form prefilled with the last page the
// browser received, between two header bars. Every text from the tree or the last page is
// escaped; a bookmark's link always has a web scheme.
QByteArray BookmarksPage(TBookmarkTree &tree, const TCachePageOptions &options, const QByteArray &lastTitle,
                         const QByteArray &lastUrl, TDateTime now);

// Adds the bookmark that the add form's query describes (its keys each after an "&") as the
// last child of the folder it names (p, a serial id; 1 when absent or not a number). u is
// the URL, t the title (the URL when empty), both trimmed; s, n and o ("y" for on) schedule it,
// mark it for the next Autobrowse and let it follow external links. Its depth d is 0 to 9, its
// interval i 0 for days or 1 to 7 for weeks on Sunday to Saturday, its frequency f 1 to 6
// days or 1 to 8 weeks: a value out of range is clamped, a missing one takes the form's
// default (depth 1, every 1 day), one that is not a number counts as 0. The rest of its
// settings come from the folder. Nothing is added without a URL or when no folder has that
// identity. The tree is saved (deferred) after an add. Returns true when a bookmark was added.
bool AddBookmarkFromQuery(TBookmarkTree &tree, const QByteArray &query);

// What the add form's query would add, in words for a page, escaped: its title and URL, and
// whether it is scheduled, marked for the next Autobrowse or follows external links.
QByteArray DescribeBookmarkAddition(const QByteArray &query);

} // namespace ql
