#pragma once

#include "library/exchange/progress_runner.h"

namespace vx {

// The controls of the window that others drive.
enum ImportVornixControl : int { kImportBrowse = 3, kImportName = 5, kImportOk = 6, kImportCancel = 7 };

// ImportVORNIX: the window "Import from Vornix Database", started from File > Merge URL
// databases on a thread of its own. The user names the site file (URL_L.KYF) of another
// copy of the library, typed or chosen with "&Browse", and OK merges it; the window stays
// open for a further merge until Cancel. A name whose upper-case form lacks "URL_L.KYF" is
// refused with "Cannot Import". The window keeps its place under section ImportVORNIX of
// VORNIX.INI; the working directory is the same after the file dialog as before it.
void ImportVORNIX(const ProgressRunner &run);

// ImportURLProcess: merges the site file named by ExchangeFileName (MergeProcess) in the
// progress window of `run`, on the calling thread; leaves GlobalResponse 1 when every site
// was gone through, else 2.
void ImportURLProcess(const ProgressRunner &run);

} // namespace vx
