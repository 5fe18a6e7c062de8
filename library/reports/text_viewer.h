#pragma once

#include <QString>

namespace vx {

// The library's text viewers, four procedures on one pattern: each shows one of the
// program's text files in a window with a list of its lines (Fixedsys), Print, Find...,
// Find Next and Close, and keeps the window's place in its section of VORNIX.INI.
//
//   WhatsNew    "whatsnew.txt"  "What's New"    section "WhatsNew"
//   ReadMe      "readme.txt"    "Using Vornix"  section "ReadMe"
//   ExportHelp  "Export.Txt"    "Using Vornix"  section "ExportHelp"
//   ImportHelp  "Export.Txt"    "Using Vornix"  section "ImportHelp"
//
// The file is looked for in the working directory, then beside the program. It is read
// once per window, when the window first opens, in batches of about 20,000 bytes on the
// timer of a progress window ("Reading File"), which Cancel stops after message 27 (the
// lines read so far stay). A file that does not open gives message 26, an empty one
// message 28; the list then stays empty and disabled. Find searches from the selected line
// down or up, by whole words and case as asked, and offers to go on from the other end
// (message 29) after the last line; Print prints every line, or, when the pages cannot be
// kept, nothing, and says why in "Report Error". Each returns when its window closes and
// leaves 2 in GlobalResponse. WhatsNew and ReadMe run on threads of their own,
// ExportHelp and ImportHelp on their callers'.
void WhatsNew();
void ReadMe();
void ExportHelp();
void ImportHelp();

// The control numbers of a viewer's window and of its Find dialog.
enum TextViewerControl : int { kViewerList = 1, kViewerPrint, kViewerFind, kViewerFindNext, kViewerClose };
enum FindDialogControl : int {
  kFindPrompt = 1,
  kFindText,
  kFindWholeWord,
  kFindMatchCase,
  kFindDirection,
  kFindOk,
  kFindCancel,
  kFindUp,
  kFindDown,
};

// The file a viewer opens for `name`: `name` in the working directory when it is there,
// else the file of that name beside the program.
QString ViewerFilePath(const QString &name);

} // namespace vx
