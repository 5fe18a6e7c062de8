#include "library/core/main_frame.h"

#include "library/core/globals.h"
#include "library/core/procedure_table.h"
#include "library/core/program_files.h"
#include "library/core/rejected_entry.h"
#include "library/core/version_check.h"
#include "library/core/window_position.h"
#include "library/runtime/windows/frame_menus.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"

#include <QMenu>

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");

struct Entry {
  int number;
  const char *text;
  const char *status;
  const char *procedure; // started on a thread of its own; null for run-time entries
  int stack;
  StandardAction standard;
};

// The frame's menus, in order. A null text marks a separator.
struct Menu {
  const char *text;
  const char *status;
  std::vector<Entry> entries;
};

const std::vector<Menu> &FileAndBrowseMenus() {
  static const std::vector<Menu> menus = {
      {"&File",
       "",
       {
           {kMenuImport, "&Import", "", "ImportMain", 25000, StandardAction::None},
           {kMenuClipboardMonitor, "&Clipboard Monitor", "Monitor clipboard for URLs...", "MonitorClipboard",
            25000, StandardAction::None},
           {kMenuExport, "&Export", "Export to HTML or  ASCII", "ExportMain", 25000, StandardAction::None},
           {kMenuMerge, "&Merge URL databases", "Import from Vornix database in another directory",
            "ImportVORNIX", 25000, StandardAction::None},
           {0, nullptr, nullptr, nullptr, 0, StandardAction::None},
           {kMenuPrintSetup, "&Print Setup ...", "Setup printer", nullptr, 0, StandardAction::PrintSetup},
           {0, nullptr, nullptr, nullptr, 0, StandardAction::None},
           {kMenuExit, "E&xit", "Exit this application", nullptr, 0, StandardAction::Close},
       }},
      {"&Browse",
       "",
       {
           {kMenuBrowseLocations, "&Locations", "Browse VORNIX", "BrowseVORNIX", 50000, StandardAction::None},
           {kMenuBrowseCategories, "&Categories", "Browse Categories", "BrowseCategories", 50000,
            StandardAction::None},
       }},
  };
  return menus;
}

const std::vector<Entry> &LocationReports() {
  static const std::vector<Entry> entries = {
      {kMenuPrintByDescription, "Print by Description", "Print ordered by Description",
       "PrintURL:K_Description", 50000, StandardAction::None},
      {kMenuPrintByLocation, "Print by Location", "Print ordered by Location key", "PrintURL:K_Location",
       50000, StandardAction::None},
      {kMenuPrintByCategory, "Print by Category", "Print ordered by Category key", "PrintURL:K_Category",
       50000, StandardAction::None},
      {kMenuPrintByRating, "Print by Rating", "Print ordered by Rating key", "PrintURL:K_Rating", 50000,
       StandardAction::None},
      {kMenuPrintByKeyword, "Print by Keyword", "Print ordered by Keyword key", "PrintURL:K_Keyword", 50000,
       StandardAction::None},
  };
  return entries;
}

const Entry kCategoryReport = {kMenuPrintCategories,  "Categories", "Print ordered by Category key",
                               "PrintCAT:K_Category", 50000,        StandardAction::None};

const std::vector<Menu> &WindowAndHelpMenus() {
  static const std::vector<Menu> menus = {
      {"&Window",
       "Create and Arrange windows",
       {
           {kMenuTile, "T&ile", "Make all open windows visible", nullptr, 0, StandardAction::Tile},
           {kMenuCascade, "&Cascade", "Stack all open windows", nullptr, 0, StandardAction::Cascade},
           {kMenuArrangeIcons, "&Arrange Icons", "Align all window icons", nullptr, 0,
            StandardAction::ArrangeIcons},
       }},
      {"&Help",
       "Windows Help",
       {
           {kMenuReadMe, "&Read Me", "", "ReadMe", 25000, StandardAction::None},
           {kMenuWhatsNew, "&What's New", "", "WhatsNew", 25000, StandardAction::None},
           {0, nullptr, nullptr, nullptr, 0, StandardAction::None},
           {kMenuAbout, "&About", "About This Program", "About", 0, StandardAction::None},
       }},
  };
  return menus;
}

const Entry *FindEntry(int number) {
  auto search = [number](const std::vector<Entry> &entries) -> const Entry * {
    for (const Entry &entry : entries) {
      if (entry.text && entry.number == number)
        return &entry;
    }
    return nullptr;
  };
  for (const auto *menus : {&FileAndBrowseMenus(), &WindowAndHelpMenus()}) {
    for (const Menu &menu : *menus) {
      if (const Entry *entry = search(menu.entries))
        return entry;
    }
  }
  if (const Entry *entry = search(LocationReports()))
    return entry;
  return number == kCategoryReport.number ? &kCategoryReport : nullptr;
}

void AddEntries(Window &frame, QMenu *menu, const std::vector<Entry> &entries) {
  for (const Entry &entry : entries) {
    if (!entry.text) {
      frame.Menus().AddSeparator(menu);
      continue;
    }
    auto &item = frame.Menus().AddItem(menu, entry.number, QString::fromUtf8(entry.text),
                                       QString::fromUtf8(entry.status), entry.standard);
    // Entries whose procedure the program does not have yet are shown disabled.
    if (entry.procedure && !FindProcedure(QString::fromUtf8(entry.procedure)))
      item.Disable();
  }
}

void AddMenus(Window &frame, const std::vector<Menu> &menus) {
  for (const Menu &menu : menus)
    AddEntries(frame, frame.Menus().AddMenu(QString::fromUtf8(menu.text), QString::fromUtf8(menu.status)),
               menu.entries);
}

void BuildMenus(Window &frame) {
  AddMenus(frame, FileAndBrowseMenus());
  QMenu *reports = frame.Menus().AddMenu(QStringLiteral("&Reports"), QStringLiteral("Report data"));
  AddEntries(frame, frame.Menus().AddSubmenu(reports, QStringLiteral("Locations")), LocationReports());
  AddEntries(frame, reports, {kCategoryReport});
  AddMenus(frame, WindowAndHelpMenus());
}

int StartByName(const QString &name, int stack) {
  ProcedureFn procedure = FindProcedure(name);
  return procedure ? START(procedure, stack) : 0;
}

} // namespace

QString MenuProcedure(int entry) {
  const Entry *found = FindEntry(entry);
  return found && found->procedure ? QString::fromUtf8(found->procedure) : QString();
}

void Main() {
  WindowSpec spec(QStringLiteral("Vornix"), WindowKind::Frame);
  spec.icon = ProgramIcon(QStringLiteral("VORNIX.ICO"));
  Window frame(spec);
  BuildMenus(frame);
  ExchangeFileName = QStringLiteral("bookmark.htm");
  CheckDataVersion();
  ProcedureScope scope;
  frame.Open();
  RestoreWindowPosition(frame, QStringLiteral("Main"), kIni);
  int splashThread = 0;
  while (frame.Accept()) {
    const Event &event = frame.CurrentEvent();
    switch (event.kind) {
    case EventKind::OpenWindow:
      StartByName(QStringLiteral("BrowseVORNIX"), 25000);
      splashThread = StartByName(QStringLiteral("Splash"), 0);
      frame.Display();
      continue;
    case EventKind::GainFocus:
      frame.Display();
      continue;
    case EventKind::Rejected:
      ShowRejected(frame, event.control);
      continue;
    default:
      break;
    }
    if (event.kind != EventKind::Accepted)
      continue;
    if (splashThread) {
      POST(EventKind::CloseWindow, 0, splashThread);
      splashThread = 0;
    }
    const Entry *entry = FindEntry(event.control);
    if (!entry || !entry->procedure)
      continue;
    if (event.control == kMenuAbout) {
      if (ProcedureFn about = FindProcedure(QStringLiteral("About")))
        about();
    } else {
      StartByName(QString::fromUtf8(entry->procedure), entry->stack);
    }
    frame.Display();
  }
  SaveWindowPosition(frame, QStringLiteral("Main"), kIni);
  frame.Close();
  scope.response = 2;
}

} // namespace vx
