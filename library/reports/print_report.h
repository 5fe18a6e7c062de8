#pragma once

namespace vx {

// The library's six printed reports, one procedure each, on one pattern. Each reads its file
// in the order of one key, in batches on the timer of its progress window ("Generating
// Report", with the percentage of the records read), and prints a detail band per record;
// when the file's end is reached it shows the pages in ReportPreview and prints them when
// the preview answers Print. Cancel, or a file with no record, shows no preview and prints
// nothing. A read error other than the file's end shows message 35 and ends the run like
// the file's end. A page that cannot be kept (the temporary folder full or gone) ends the
// run with "Report Error", which says why; no preview is shown and nothing is printed. Each
// leaves 1 (completed) or 2 (cancelled, failed or nothing found) in GlobalResponse. They run on threads of
// their own, started from the frame's Reports menu.
void PrintURLByLocation();    // "PrintURL:K_Location": URLs by Location
void PrintURLByDescription(); // "PrintURL:K_Description": URLs by Description
void PrintURLByCategory();    // "PrintURL:K_Category": URLs by Category
void PrintURLByRating();      // "PrintURL:K_Rating": URLs by Rating, highest first
void PrintURLByKeyword();     // "PrintURL:K_Keyword": URLs by Keyword
void PrintCATByCategory();    // "PrintCAT:K_Category": Categories

} // namespace vx
