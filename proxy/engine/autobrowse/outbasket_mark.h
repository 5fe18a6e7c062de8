#pragma once

namespace ql {

// The out-basket stale mark: set whenever a change may have changed which bookmarks are due
// (the bookmark tree's edits, the Bookmark Properties dialog); the Autobrowse Control window
// clears it as it fills its out-basket again. GUI thread only.
extern bool OutbasketStale;

} // namespace ql
