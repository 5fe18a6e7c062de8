#pragma once

namespace ql {

// The go-on flag of the proxy's long operations on cache lists (searches, the HTML body
// search, the first pages visited, the import of a browser's cache): process-wide, set when
// such an operation starts and when the Filter dialog shows, cleared by the Filter dialog's
// Cancel. An operation that finds it cleared stops where it is. GUI thread only.
extern bool GoOnFlag;

} // namespace ql
