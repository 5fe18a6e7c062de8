#pragma once

#include "proxy/engine/cache/cache_index.h"

#include <QString>

namespace ql {

// Entries go to the journal CACHE.BAK ten at a time, so that a crash loses at most the last nine
// stores.
inline constexpr std::size_t kJournalBatch = 10;

// Queues the entry with this ID for the journal after a store. When the queue then holds
// exactly ten entries and the disk is not full, the batch is appended to CACHE.BAK in one write
// and synced, and the queue is emptied. A write that falls short cuts the file back to its last
// whole record, so the journal never ends in a torn record. Entries removed while queued have
// already left the queue. False when a batch could not be written whole.
// While diskFull is set at the tenth entry nothing is written and the queue keeps growing, so no
// further batch goes out in this run; the save at exit writes every entry.
bool JournalCacheItem(TCacheIndex &index, int32_t id, const QString &dataDir, bool diskFull);

} // namespace ql
