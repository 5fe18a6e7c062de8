#pragma once

#include <QIcon>

namespace ql {

// The control bar's button pictures, drawn by the program (20 x 20 pixels).
enum class TGlyph {
  OnLine,         // the on-line button while down
  OffLine,        // the on-line button while released
  Bookmarks,      // a book
  CacheExplorer,  // a drawer of files
  Autobrowse,     // a circular arrow
  StartBrowser,   // a globe
  Help,           // a question mark
  LockFocused,    // the lock button while the program is active
  LockNotFocused, // the lock button while another program is
};

QIcon Glyph(TGlyph glyph);

// The on-line button's picture: OffLine, and OnLine for the checked state.
QIcon OnOffGlyph();

} // namespace ql
