#pragma once

#include "library/runtime/data/keyed_file.h"

#include <initializer_list>
#include <span>

namespace vx {

// A transaction over several keyed files, committed atomically. One transaction runs at a
// time in the program; it belongs to the run-time thread that began it. While it runs, an
// OPEN on another thread waits for it to end (on its own thread OPEN gives 32), and files
// closed are let go only when it ends, so a transaction should be begun and ended within
// one step of its thread, without yielding.

// Begins the transaction, waiting up to `timeoutSeconds` for the files. 56 when a
// transaction is already active, 32 when the files stay locked.
void LOGOUT(int timeoutSeconds, std::span<KeyedFile *const> files);
inline void LOGOUT(int timeoutSeconds, std::initializer_list<KeyedFile *> files) {
  LOGOUT(timeoutSeconds, std::span<KeyedFile *const>(files.begin(), files.size()));
}

// Commits the caller's transaction; a thread without a transaction of its own changes
// nothing. A failed commit leaves the transaction open for ROLLBACK.
void COMMIT();

// Rolls back the transaction only when the calling thread began it; otherwise nothing.
void ROLLBACK();

// Whether the calling thread has a transaction open.
bool InTransaction();

} // namespace vx
