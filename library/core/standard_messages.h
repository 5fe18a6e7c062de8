#pragma once

#include <QString>

#include <functional>

namespace vx {

// The program's numbered catalogue of error and confirmation boxes about files, records
// and forms. A caller names a message by number (1 to 37) and passes up to two texts, whose
// trailing blanks are dropped; the catalogue builds the text, shows the box through MESSAGE
// with the message's caption, icon, buttons and default button, and returns the button
// pressed (0 for a number outside the catalogue, which shows nothing).
//
// Where a message has an error part, it describes the saved error state when one is kept,
// otherwise the run-time's last error: "<text> (<code>)", or for code 90 the driver's own
// "<text> (<code>)". Every call, whatever its number, clears the saved state.
//
// Messages 1, 3, 4, 5 and 22 end the program through HALT once closed; message 2 ends it
// when not answered Yes. Each shows its end text ("Invalid File!", ...) first.
int ShowStandardMessage(int number, const QString &text1, const QString &text2);
int ShowStandardMessage1(int number, const QString &text1);
int ShowStandardMessage0(int number);

// Keeps the run-time's last error (code, text, driver code and text) as the saved error
// state, for the next standard message to report, then rolls back the current transaction
// with the function installed below. The saved state is one for the whole program.
void SaveErrorState();

// Installs the rollback that SaveErrorState runs (the data files' ROLLBACK); the previous
// one is returned. Without one, SaveErrorState only keeps the error.
std::function<void()> SetStandardRollback(std::function<void()> rollback);

} // namespace vx
