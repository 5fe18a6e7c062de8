#pragma once

#include "proxy/engine/http/dates.h"

#include <QByteArray>

namespace ql {

class TBookmarkTree;
struct TCachePageOptions;

// The deepest indentation of the add forms' "Place in" list, in levels.
inline constexpr int kMaxFolderIndent = 20;

// The whole answer of the bookmarks page: the tree as nested lists (folders in bold, the top
// ones large; bookmarks linked, with an icon for their Autobrowse state and a link that lists
// their site's cache entries), then the add-bookmark form prefilled with the last page the
// browser received, between two header bars. Every text from the tree or the last page is
// escaped; a bookmark's link always has a web scheme. The lists nest no deeper than
// kMaxFolderIndent levels: a deeper node stands at that depth, a folder with its level as a
// number before its title. The form's "Place in" list shows the folders in tree order, each
// indented by its depth up to kMaxFolderIndent levels; a deeper folder shows its level as a
// number instead, unindented. So the page grows with the number of nodes, whatever the depth
// of the tree, and a browser lays it out as fast as a flat tree's.
QByteArray BookmarksPage(TBookmarkTree &tree, const TCachePageOptions &options, const QByteArray &lastTitle,
                         const QByteArray &lastUrl, TDateTime now);

// The whole answer of the folder page, where an addition that came without the proof of one
// of the pages' forms is completed: the bookmarks page's add form, filled in with what the
// query asks for (its keys each after an "&", read as AddBookmarkFromQuery reads them) and its
// folder chosen when the query names one, sent with the form's token. The user chooses the
// folder and confirms with one click; the page itself changes nothing. The "Not in Cache"
// page's form, which lists no folder, leads here.
QByteArray BookmarkFolderPage(TBookmarkTree &tree, const QByteArray &query);

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

} // namespace ql
