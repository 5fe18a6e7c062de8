#pragma once

#include <functional>

namespace vx {

class Window;

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

// Ends the form's step after an add or a write, in its window (borrowed for the call): a
// record added or written closes the form with response 1; GiveUp closes it leaving the
// response as it was; a failed add, or BackToForm (which redraws the form first), keeps it
// open with the focus on `firstControl`.
void FinishAdd(Window &window, bool added, int firstControl, int &response);
void FinishWrite(Window &window, WriteOutcome outcome, int firstControl, int &response);

} // namespace vx
