#pragma once

namespace ql {

class MessageWindow;

// Withdraws the lookups that would deliver to the window (it is being destroyed): their
// results are neither written nor posted.
void CancelLookupsForWindow(MessageWindow *window);
// Withdraws every outstanding lookup (the last WSACleanup).
void CancelAllLookups();

} // namespace ql
