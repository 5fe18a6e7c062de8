#pragma once

#include <QString>

namespace vx {

// What the clipboard monitor has added since its window opened.
struct ClipboardTally {
  int added = 0;  // sites added, or found added meanwhile by another window
  QString status; // "Added <count>:  <location>", at most 80 characters
};

// ScanClipboardText: adds the sites that FindClipboardSites finds in `text` to the library,
// through the calling thread's buffers of the site file and Categories, which the caller
// has taken. For each site, in order:
// - a blank category (a heading without text, such as a rule before a link) is "New";
// - a category that Categories lacks is added to it;
// - a location that begins with "#", or that the library holds already (without regard to
//   case), adds nothing;
// - a blank description becomes "Added from clipboard <date> <time> <location>";
// - the site is added with its own Site Info; a failure other than a duplicate key shows
//   the STOP question "<error> adding location", and the scan goes on.
// Each site added, or refused as a duplicate because another window added it meanwhile,
// counts in `tally`, whose status then names it.
void ScanClipboardText(const QString &text, ClipboardTally &tally);

} // namespace vx
