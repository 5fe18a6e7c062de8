#pragma once

#include <functional>

namespace vx {

// The steps that every update form takes to delete or write its record through a
// referential-integrity procedure (one that returns 0 when done and has shown its own
// message when it failed). The wait cursor shows while the procedure runs.

// Asks "Confirm Delete" (message 32); on OK deletes, offering to try again (message 18) after
// each failure. Returns the form's response: 1 when the record was deleted, else 2.
int ConfirmAndDelete(const std::function<int()> &deleteRecord);

// What a form does after trying to write its record.
enum class WriteOutcome {
  Written,    // done: the form closes with response 1
  GiveUp,     // the user answered No: the form closes with response 2
  BackToForm, // the user answered Cancel: the form stays open
};

// Writes the record, offering to try again (message 16) after each failure.
WriteOutcome WriteWithRetry(const std::function<int()> &writeRecord);

} // namespace vx
