#pragma once

#include <cstdint>

namespace ql {

struct TCacheItem;

// The bookmark an Autobrowse fetch was made for, as the cache store enters the answer: it
// sets the largest body the entry may hold, and marks each entry made for it as its own.
class TAutoEntryOwner {
public:
  virtual ~TAutoEntryOwner() = default;
  // The largest body an entry made for it may hold.
  virtual int64_t AutoItemSizeLimit() const = 0;
  // Marks item, just stored for it, as one of its entries, and notes that it has some.
  virtual void MarkAutoEntry(TCacheItem &item) = 0;
};

} // namespace ql
