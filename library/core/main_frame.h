#pragma once

#include <QString>

namespace vx {

// The numbers of the frame's menu entries.
enum MainMenuEntry : int {
  kMenuImport = 101,
  kMenuClipboardMonitor,
  kMenuExport,
  kMenuMerge,
  kMenuPrintSetup,
  kMenuExit,
  kMenuBrowseLocations = 201,
  kMenuBrowseCategories,
  kMenuPrintByDescription = 301,
  kMenuPrintByLocation,
  kMenuPrintByCategory,
  kMenuPrintByRating,
  kMenuPrintByKeyword,
  kMenuPrintCategories,
  kMenuTile = 401,
  kMenuCascade,
  kMenuArrangeIcons,
  kMenuReadMe = 501,
  kMenuWhatsNew,
  kMenuAbout,
};

// Main: the procedure of the application frame. It checks the data version, opens the
// frame "Vornix" with its menus File, Browse, Reports, Window and Help, starts the Locations
// browse and the splash, and turns each menu choice into a procedure started on a thread of
// its own (About runs modally on the frame's thread). It returns when the frame has closed,
// after every other procedure has closed down.
void Main();

// The procedure that a menu entry starts (or calls), by name; empty for the entries the
// run-time handles itself.
QString MenuProcedure(int entry);

} // namespace vx
