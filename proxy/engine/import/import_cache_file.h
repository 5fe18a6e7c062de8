#pragma once

#include "proxy/engine/import/index_record.h"

#include <QString>

namespace ql {

class TCacheStore;
class TMimeTable;

// What became of one object of an imported index.
enum class TImportOutcome {
  Imported, // a new Normal entry
  Present,  // the cache already holds the URL
  Missing,  // no regular file of that name in the import directory
  TooLarge, // the body is larger than the cache's item size limit
  Refused,  // a file name that would leave the import directory (a symbolic link among them),
            // or a URL that names no host
  Failed    // the body could not be copied into the cache
};

// The file-name part of an index's file name (after its last "/" or "\"), or empty when
// that part is empty, "." or "..": the only names an import opens, so that an index can never
// reach outside its own directory.
QByteArray ImportFileName(const QByteArray &fileName);

// Enters one object of a browser's cache into the cache of store: when its body file is a
// regular file of importDir itself (never a symbolic link), its URL (as a cache key, "http://"
// host ":" port path) is not yet cached and the body is no larger than the item size limit, the
// body is copied to a new body file and a Normal entry is appended: ID the next free one
// (HighestCacheId rises to it), Status 200, LastModified unknown, Seen, the MIME index of the
// content type (which may be learned), the title for an HTML page, retrieved and accessed now.
// The cache is trimmed afterwards, and the entry goes to the journal as a stored one does (its
// body synced with its batch). A lookup that finds the URL counts a hit on that entry, as any Autobrowse
// lookup does.
TImportOutcome ImportCacheFile(TCacheStore &store, TMimeTable &mimes, const QString &importDir,
                               const TIndexRecord &record);

} // namespace ql
