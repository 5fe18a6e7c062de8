#pragma once

#include "library/exchange/import/import_settings.h"
#include "library/exchange/progress_runner.h"

namespace vx {

// The controls of the Import window.
enum ImportMainControl : int {
  kImportMainExplanation = 1,
  kImportMainNamePrompt,
  kImportMainName,
  kImportMainBrowse,
  kImportMainType,
  kImportMainHtml,
  kImportMainComma,
  kImportMainText,
  kImportMainMethod,
  kImportMainSelected,
  kImportMainGuess,
  kImportMainAsk,
  kImportMainCategoryPrompt,
  kImportMainCategory,
  kImportMainOk,
  kImportMainCancel,
  kImportMainHelp,
};

// ImportMain: the window "Import", started from File > Import on a thread of its own. It
// shows the program's import settings (ProgramImportSettings), read afresh from section
// "Import" of VORNIX.INI as it opens: the file to import, in an editable combo whose list
// holds the names imported before (the History file's "Import" entries), the kind of file
// ("HTML Document" unless chosen) and how each site gets its category ("Make Best Guess"
// unless chosen); the category entry shows only for "Selected Category", and takes only a
// category of its list. "&Browse" chooses the file in a file dialog.
//
// OK takes the name the combo shows, as typed: a blank one is refused with "You must enter
// an Import file name."; otherwise OK records the name in the History file
// (AddImportHistory), sets ExchangeFileName, writes the settings and runs the import
// (ImportFile) in the progress window of `run`, then stays open for a further import. A
// right click offers the name kept under Export1 of section "History". "Help!" shows
// ImportHelp when the program has it. The working directory is the same after the file
// dialog, OK and Help as when the window opened. The window keeps its place under section
// "ImportMain" of VORNIX.INI, takes Categories and History through their use counts and
// leaves GlobalResponse 2.
void ImportMain(const ProgressRunner &run);

// ImportFile: runs one import with `settings` (ImportProcess) in the progress window of
// `run`, on the calling thread; leaves GlobalResponse 1 when the whole file was read, else 2.
void ImportFile(const ImportSettings &settings, const ProgressRunner &run);

} // namespace vx
