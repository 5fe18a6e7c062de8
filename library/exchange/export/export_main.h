#pragma once

#include "library/exchange/export/export_settings.h"
#include "library/exchange/progress_runner.h"

namespace vx {

// The controls of the Export window.
enum ExportMainControl : int {
  kExportExplanation = 1,
  kExportNamePrompt,
  kExportName,
  kExportBrowse,
  kExportType,
  kExportTable,
  kExportSimple,
  kExportFrame,
  kExportAscii,
  kExportComma,
  kExportCategories,
  kExportAll,
  kExportSelected,
  kExportCategoryPrompt,
  kExportCategory,
  kExportAdditional,
  kExportSiteInfo,
  kExportRatings,
  kExportOrder,
  kExportByLocation,
  kExportByDescription,
  kExportOk,
  kExportCancel,
  kExportHelp,
};

// ExportMain: the window "Export", started from File > Export on a thread of its own. It
// shows the program's export settings (ProgramExportSettings), read afresh from section
// "Export" of VORNIX.INI as it opens: the file to export to, in an editable combo whose list
// holds the names exported before (the History file's "Export" entries), the type, all
// categories or the one chosen (its entry shows only for "Selected"; a remembered category
// that Categories no longer holds starts blank), the Site Info and rating switches and the
// order within a category.
//
// A name typed without an extension in its file part gets ".htm" (types beginning with "H")
// or ".txt" and a lower-case file part; "&Browse" chooses the file in a file dialog. OK
// takes the name the combo shows: a blank one is refused with "You must enter an export
// file name.", a type that is none of the five with "You must choose an export type.",
// "Selected" without a category of the list (read afresh) with "You must choose a category
// to export.", and a name whose file cannot be created (a missing folder) with message 30,
// the name staying out of the History file; otherwise OK records the name in the History
// file (AddExportHistory), sets ExchangeFileName, writes the settings and runs the export
// (ExportFile) in the progress window of `run`, then stays open for a further export.
// "Help!" shows ExportHelp when the program has it. The working directory is the same after
// the file dialog, OK and Help as when the window opened. The window takes Categories and
// History through their use counts and leaves GlobalResponse 2.
void ExportMain(const ProgressRunner &run);

// ExportFile: runs one export with `settings` (ExportProcess) in the progress window of
// `run`, on the calling thread; leaves GlobalResponse 1 when every site was written and the
// files are in place, else 2.
void ExportFile(const ExportSettings &settings, const ProgressRunner &run);

} // namespace vx
