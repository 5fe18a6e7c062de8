#pragma once

#include <vector>

namespace ql {

struct TCacheItem;

// A list of cache entries in some order: references into the cache index, which owns the
// entries. A slot may be empty (nullptr); the owner of a list empties the slot of an entry
// that the index frees (TCacheIndex::AddRemovalListener).
using TCacheList = std::vector<TCacheItem *>;

} // namespace ql
