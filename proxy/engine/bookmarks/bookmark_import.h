#pragma once

#include <QByteArray>
#include <QString>

namespace ql {

class TBookmarkNode;
class TBookmarkOutline;

// Import of an HTML file into the bookmark tree, under a new folder (the import folder) titled
// with the document's title, or "New folder" without one. The folder goes at the top level of
// an empty tree, else next to the selected node by the folder placement rules (AddNear).
//
// Every link with an absolute address ("://") becomes a bookmark titled with its text ("New
// Document" when empty), except links to the proxy's own pseudo-host and news page. A file that
// declares "<!doctype netscape-bookmark" (what browsers export) keeps its folders: each "H3"
// heading makes a folder ("New Folder" when its text is empty), which holds the entries of the
// "<DL>" list that follows it; "</DL>" closes it. The proxy's own bookmark page
// ("<!doctype quenlark-bookmark") does the same with its "B" headings. A heading that no list
// follows before the next link or heading is an empty folder. The import never climbs above
// its own folder. Titles and addresses have their character references decoded once; their
// bytes are kept as they are, so UTF-8 stays intact. Titles are trimmed and cut to 255 bytes.
//
// A document whose folders would take the tree below kMaxBookmarkLevel is refused whole: the
// tree is left as it was, the result is nullptr and *tooDeep (when given) is set.
//
// The tree is not saved; its listener hears one reset.

// Imports the text of a document. Returns the import folder.
TBookmarkNode *ImportBookmarkText(const QByteArray &html, TBookmarkOutline &tree, TBookmarkNode *selected,
                                  bool *tooDeep = nullptr);

// Imports a file; nothing happens, and the result is nullptr, when it does not exist or cannot
// be read.
TBookmarkNode *ImportBookmarkFile(const QString &path, TBookmarkOutline &tree, TBookmarkNode *selected,
                                  bool *tooDeep = nullptr);

} // namespace ql
