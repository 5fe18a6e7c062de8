#include "library/core/update_categories.h"

#include "library/core/browse_list.h"
#include "library/core/dictionary.h"
#include "library/core/file_use.h"
#include "library/core/globals.h"
#include "library/core/program_files.h"
#include "library/core/record_form_steps.h"
#include "library/core/referential_integrity.h"
#include "library/core/rejected_entry.h"
#include "library/core/standard_messages.h"
#include "library/core/update_cat_html.h"
#include "library/core/update_vornix.h"
#include "library/core/window_position.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/window.h"

#include <array>
#include <utility>

namespace vx {

namespace {

const QString kSection = QStringLiteral("UpdateCategories");
const QString kIni = QStringLiteral("VORNIX.INI");
const QString kPopup = QStringLiteral("&Insert|&Change|&Delete");
const QString kEmptyPopup = QStringLiteral("&Insert|~&Change|~&Delete");

void BuildWindow(Window &window) {
  window.Add<LabelControl>(kCatPrompt, QStringLiteral("&Category:"), QRect(6, 8, 44, 10));
  window.Add<EntryControl>(kCatName, QRect(50, 6, 140, 12), CAT().Category.width)
      .Use([] { return CAT().Category.text(); }, [](const QString &value) { CAT().Category = value; });
  auto &sheet = window.Add<SheetControl>(kCatSheet, QRect(4, 24, 392, 150));
  auto &general = window.Add<TabControl>(kCatTabGeneral, sheet, QStringLiteral("General"));
  auto &html = window.Add<TabControl>(kCatTabHtml, sheet, QStringLiteral("HTML"));
  auto &locations = window.Add<TabControl>(kCatTabLocations, sheet, QStringLiteral("Locations"));
  window.Add<LabelControl>(kCatDescriptionPrompt, QStringLiteral("&Description:"), QRect(10, 44, 60, 10))
      .PlaceOnTab(&general);
  auto &memo = window.Add<TextControl>(kCatDescription, QRect(10, 56, 380, 112), CAT().Description.width);
  memo.Use([] { return CAT().Description.text(); }, [](const QString &value) { CAT().Description = value; });
  memo.PlaceOnTab(&general);
  window
      .Add<ListControl>(kCatHtmlList, QRect(10, 44, 380, 104), QStringLiteral("120L(2)|M~Type Of HTML~@s30@"))
      .PlaceOnTab(&html);
  window
      .Add<ListControl>(kCatSiteList, QRect(10, 44, 380, 104),
                        QStringLiteral("120L(2)|M~Description~@s100@240L(2)|M~Location~@s60@"))
      .PlaceOnTab(&locations);
  const struct {
    int number;
    const char *text;
    int x;
    TabControl *tab;
  } buttons[] = {
      {kCatHtmlInsert, "&Insert", 246, &html},      {kCatHtmlChange, "&Change", 296, &html},
      {kCatHtmlDelete, "&Delete", 346, &html},      {kCatSiteInsert, "&Insert", 246, &locations},
      {kCatSiteChange, "&Change", 296, &locations}, {kCatSiteDelete, "&Delete", 346, &locations},
  };
  for (const auto &b : buttons)
    window.Add<ButtonControl>(b.number, QString::fromLatin1(b.text), QRect(b.x, 154, 45, 14))
        .PlaceOnTab(b.tab);
  window.Add<ButtonControl>(kCatOk, QStringLiteral("&OK"), QRect(296, 180, 46, 14));
  window.Add<ButtonControl>(kCatCancel, QStringLiteral("Cancel"), QRect(350, 180, 46, 14));
}

// Copies what the user typed into the name entry and the description into the record.
void TakeTypedCategory(Window &window) {
  window.Find(kCatName)->Update();
  window.Find(kCatDescription)->Update();
}

// Calls the form of a list's record with the category record kept as it is: the site form
// reads categories into the shared buffer (its own category, perhaps in another letter
// case, with that category's description) and makes that the category file's current
// record. The form's category, with its unsaved name and description, and the record its
// OK writes, come back afterwards.
std::function<void()> KeepingCategory(Window &window, void (*procedure)()) {
  return [&window, procedure] {
    TakeTypedCategory(window);
    const CategoryRecord kept = CAT();
    const qint64 current = POINTER(Categories());
    procedure();
    GET(Categories(), current);
    CAT() = kept;
  };
}

BrowseConfig ListConfig(Window &window, DataFile &file, const QString &label, int list,
                        std::array<int, 3> buttons, BrowseOrder order, void (*procedure)(),
                        std::function<QStringList()> cells, std::function<void(const QString &)> preset) {
  BrowseConfig config;
  config.file = &file;
  config.label = label;
  config.list = list;
  order.filterField = file.decl().fieldIndex(QStringLiteral("Category"));
  config.orders = {std::move(order)};
  config.cells = std::move(cells);
  config.insertButton = buttons[0];
  config.changeButton = buttons[1];
  config.deleteButton = buttons[2];
  config.doubleClickButton = buttons[1];
  config.update = KeepingCategory(window, procedure);
  config.popupText = [](bool rows) { return rows ? kPopup : kEmptyPopup; };
  config.popupButtons = {buttons[0], buttons[1], buttons[2]};
  config.resetSource = [&window] {
    window.Find(kCatName)->Update();
    return CAT().Category.text();
  };
  config.restoreReset = [](const QString &value) { CAT().Category = value; };
  config.presetFilter = std::move(preset);
  config.focusOnOpen = false; // the form opens on its first tab with the name entry focused
  return config;
}

BrowseConfig HtmlListConfig(Window &window) {
  BrowseOrder order;
  order.key = &CatHTML().KeyCategoryHTML;
  order.thumb = ThumbKind::Text;
  order.stepLength = 30;
  order.locatorText = [] { return HTM().TypeOfHTML.text(); };
  order.setStep = [](const QString &text, double) { HTM().TypeOfHTML = text; };
  order.locate = [](QChar c) { HTM().TypeOfHTML = QString(c); };
  return ListConfig(
      window, CatHTML(), QStringLiteral("CatHTML"), kCatHtmlList,
      {kCatHtmlInsert, kCatHtmlChange, kCatHtmlDelete}, std::move(order), UpdateCatHTML,
      [] { return QStringList{HTM().TypeOfHTML.clipped()}; },
      [](const QString &value) { HTM().Category = value; });
}

BrowseConfig SiteListConfig(Window &window) {
  BrowseOrder order;
  order.key = &VORNIX().K_Category;
  order.thumb = ThumbKind::Text;
  order.stepLength = 100;
  order.locatorText = [] { return URL().Description.text(); };
  order.setStep = [](const QString &text, double) { URL().Description = text; };
  order.locate = [](QChar c) { URL().Description = QString(c); };
  return ListConfig(
      window, VORNIX(), QStringLiteral("VORNIX"), kCatSiteList,
      {kCatSiteInsert, kCatSiteChange, kCatSiteDelete}, std::move(order), UpdateVORNIX,
      [] {
        return QStringList{URL().Description.clipped(), URL().Location.clipped()};
      },
      [](const QString &value) { URL().Category = value; });
}

// Adds the new category; false (the form stays open) when it was refused.
bool AddCategory() {
  ADD(Categories());
  if (ERRORCODE() == 0)
    return true;
  if (ERRORCODE() == 40 && DUPLICATE(Categories().K_Category))
    ShowStandardMessage1(24, QStringLiteral("Category"));
  else
    ShowStandardMessage0(14);
  return false;
}

// The window of an insert or a change; returns the form's response.
int RunWindow(int request, const QString &savedKey) {
  WindowSpec spec(QStringLiteral("Update the Categories File"), WindowKind::MdiChild, QRect(0, 0, 400, 200));
  spec.icon = ProgramIcon(QStringLiteral("CANADA.ICO"));
  Window window(spec);
  BuildWindow(window);
  window.Open();
  window.Display(); // the entry and the memo show the record before anything reads them back
  RestoreWindowPosition(window, kSection, kIni);
  BrowseList snippets(window, HtmlListConfig(window), request);
  BrowseList sites(window, SiteListConfig(window), request);
  for (ListControl *list : {&window.Get<ListControl>(kCatHtmlList), &window.Get<ListControl>(kCatSiteList)}) {
    for (int key : {int(KEY_MOUSE_LEFT2), int(KEY_INSERT), int(KEY_DELETE), int(KEY_CTRL_ENTER)})
      list->Alert(key);
  }
  window.SetTitle(request == 1 ? QStringLiteral("Category Will Be Added")
                               : QStringLiteral("Category Will Be Changed"));
  window.SetDefaultButton(kCatOk);
  window.SetCancelButton(kCatCancel);

  const auto refresh = [&] {
    if (window.InAcceptAllPass())
      return;
    TakeTypedCategory(window);
    snippets.RefreshBrowse();
    sites.RefreshBrowse();
  };
  const auto takeRows = [&] {
    TakeTypedCategory(window);
    snippets.TakeSelectedRow();
    sites.TakeSelectedRow();
  };
  int response = 2;
  bool firstSeen = false;
  // The six list buttons: the list each acts on and its update call.
  using ListCall = std::pair<BrowseList *, void (BrowseList::*)()>;
  const auto listCall = [&](int control) -> ListCall {
    switch (control) {
    case kCatHtmlInsert:
      return {&snippets, &BrowseList::Insert};
    case kCatHtmlChange:
      return {&snippets, &BrowseList::Change};
    case kCatHtmlDelete:
      return {&snippets, &BrowseList::Delete};
    case kCatSiteInsert:
      return {&sites, &BrowseList::Insert};
    case kCatSiteChange:
      return {&sites, &BrowseList::Change};
    case kCatSiteDelete:
      return {&sites, &BrowseList::Delete};
    default:
      return {nullptr, nullptr};
    }
  };
  // Every button first takes the highlighted rows of both lists.
  const auto onButton = [&](int control) {
    const auto [list, call] = listCall(control);
    if (!list && control != kCatOk && control != kCatCancel)
      return;
    takeRows();
    if (list) {
      (list->*call)();
      refresh();
    } else if (control == kCatOk) {
      window.AcceptAll();
    } else {
      response = 2;
      window.Post(EventKind::CloseWindow);
    }
  };
  while (window.Accept()) {
    const Event event = window.CurrentEvent();
    switch (event.kind) {
    case EventKind::OpenWindow:
    case EventKind::GainFocus:
    case EventKind::Sized:
      if (!window.InAcceptAllPass())
        TakeTypedCategory(window);
      snippets.Handle(event);
      sites.Handle(event);
      if (event.kind == EventKind::OpenWindow || !firstSeen)
        window.Select(kCatName);
      firstSeen = true;
      break;
    case EventKind::Rejected:
      ShowRejected(window, event.control);
      break;
    case EventKind::Completed:
      if (request == 1) {
        FinishAdd(window, AddCategory(), kCatName, response);
        break;
      }
      if (DUPLICATE(Categories().K_Category)) {
        ShowStandardMessage1(24, QStringLiteral("Category"));
        window.Select(kCatName);
        break;
      }
      FinishWrite(window, WriteWithRetry([&savedKey] { return UpdateCategoryRecord(savedKey); }), kCatName,
                  response);
      break;
    default:
      if (event.control == kCatHtmlList) {
        snippets.Handle(event);
      } else if (event.control == kCatSiteList) {
        sites.Handle(event);
      } else if (event.control == kCatSheet) {
        if (event.kind != EventKind::Accepted || !window.InAcceptAllPass())
          refresh();
      } else if (event.kind == EventKind::Accepted && !window.InAcceptAllPass()) {
        onButton(event.control);
      }
      break;
    }
    snippets.Done(event);
    sites.Done(event);
  }
  SaveWindowPosition(window, kSection, kIni);
  window.Close();
  return response;
}

} // namespace

void UpdateCategories() {
  ProcedureScope scope;
  FileUse snippetFile(CatHTML());
  FileUse categoryFile(Categories());
  FileUse siteFile(VORNIX());
  const QString savedKey = CAT().Category.text();
  switch (scope.request) {
  case 1:
  case 2:
    scope.response = RunWindow(scope.request, savedKey);
    break;
  case 3:
    scope.response = ConfirmAndDelete(DeleteCategoryRecord);
    break;
  default:
    break;
  }
}

} // namespace vx
