#include "library/core/browse_categories.h"

#include "library/core/browse_list.h"
#include "library/core/control_scaling.h"
#include "library/core/dictionary.h"
#include "library/core/file_use.h"
#include "library/core/globals.h"
#include "library/core/program_files.h"
#include "library/core/update_categories.h"
#include "library/core/update_vornix.h"
#include "library/core/window_position.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/window.h"

#include <iterator>

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");
const QString kPopup = QStringLiteral("&Insert|&Change|&Delete");
const QString kEmptyPopup = QStringLiteral("&Insert|~&Change|~&Delete");
constexpr int kDescriptionShown = 255;

const char *const kTipLines[] = {
    "You can optionally add HTML code by hand",  "or paste it in from your favorite editor.",
    "HTML code can be positioned before or",     "after each category or category title.",
    "In addition, if you add a category called", "\"_Before All\", you can position HTML code",
    "before anything is output (great for",      "backgrounds, sounds, frames, etc.)",
};

// A text locator over a field of the record buffer, for a list's single order.
BrowseOrder TextOrder(const Key &key, int length, std::function<QString()> get,
                      std::function<void(const QString &)> set) {
  BrowseOrder order;
  order.key = &key;
  order.thumb = ThumbKind::Text;
  order.stepLength = length;
  order.locatorText = std::move(get);
  order.setStep = [set](const QString &text, double) { set(text); };
  order.locate = [set](QChar c) { set(QString(c)); };
  return order;
}

void CommonConfig(BrowseConfig &config, int list, int sheet, std::array<int, 3> buttons) {
  config.list = list;
  config.sheet = sheet;
  config.orderOfTab = [](int) { return 1; };
  config.insertButton = buttons[0];
  config.changeButton = buttons[1];
  config.deleteButton = buttons[2];
  config.doubleClickButton = buttons[1];
  config.popupText = [](bool rows) { return rows ? kPopup : kEmptyPopup; };
  config.popupButtons = {buttons[0], buttons[1], buttons[2]};
}

void AlertListKeys(Window &window, int list) {
  for (int key : {int(KEY_MOUSE_LEFT2), int(KEY_INSERT), int(KEY_DELETE), int(KEY_CTRL_ENTER)})
    window.Get<ListControl>(list).Alert(key);
}

// Runs a browse window's loop: the list's events go to the browse, the buttons to `onButton`
// after the highlighted row has been taken; a window that scales its controls does so
// before the browse refills on a resize.
int RunBrowse(Window &window, BrowseList &browse, const QString &section, int closeButton,
              ControlScaling *scaling, const std::function<void(int)> &onButton) {
  while (window.Accept()) {
    const Event event = window.CurrentEvent();
    if (event.kind == EventKind::Sized && scaling)
      scaling->Apply();
    if (browse.Handle(event)) {
      browse.Done(event);
      continue;
    }
    if (event.kind == EventKind::Accepted) {
      browse.TakeSelectedRow();
      if (event.control == closeButton) {
        browse.SetLocalResponse(2);
        window.Post(EventKind::CloseWindow);
      } else {
        onButton(event.control);
      }
    }
    browse.Done(event);
  }
  SaveWindowPosition(window, section, kIni);
  window.Close();
  return browse.LocalResponse();
}

// The site form with the CAT record kept: the site form reads categories into it, and the
// list must go on showing the category it was opened for.
void UpdateSiteKeepingCategory() {
  const CategoryRecord kept = CAT();
  UpdateVORNIX();
  CAT() = kept;
}

} // namespace

void BrowseURLByCategory() {
  ProcedureScope scope;
  const QString section = QStringLiteral("BrowseURL:K_Category");
  FileUse categories(Categories());
  FileUse sites(VORNIX());
  WindowSpec spec(QStringLiteral("Browse Location by Category"), WindowKind::MdiChild, QRect(0, 0, 360, 200));
  spec.icon = ProgramIcon(QStringLiteral("VORNIX.ICO"));
  Window window(spec);
  auto &sheet = window.Add<SheetControl>(kSitesOfCategorySheet, QRect(4, 4, 352, 172));
  window.Add<TabControl>(kSitesOfCategoryTab, sheet, QStringLiteral("Category"));
  window.Add<ListControl>(
      kSitesOfCategoryList, QRect(10, 22, 340, 148),
      QStringLiteral("60L(2)|M~Location~@s60@60L(2)|M~Description~@s60@60L(2)|M~Category~@s15@"
                     "8R(2)|M~Rating~@n2@40L(2)|M~Keyword~@s10@"));
  const struct {
    int number;
    const char *text;
    int x;
  } buttons[] = {{kSitesOfCategoryInsert, "&Insert", 160},
                 {kSitesOfCategoryChange, "&Change", 210},
                 {kSitesOfCategoryDelete, "&Delete", 260},
                 {kSitesOfCategoryClose, "Cl&ose", 310}};
  for (const auto &b : buttons)
    window.Add<ButtonControl>(b.number, QString::fromLatin1(b.text), QRect(b.x, 182, 45, 14));
  window.Open();
  RestoreWindowPosition(window, section, kIni);

  BrowseConfig config;
  config.file = &VORNIX();
  config.label = QStringLiteral("VORNIX");
  CommonConfig(config, kSitesOfCategoryList, kSitesOfCategorySheet,
               {kSitesOfCategoryInsert, kSitesOfCategoryChange, kSitesOfCategoryDelete});
  BrowseOrder order = TextOrder(
      VORNIX().K_Category, 100, [] { return URL().Description.text(); },
      [](const QString &text) { URL().Description = text; });
  order.filterField = VORNIX().decl().fieldIndex(QStringLiteral("Category"));
  config.orders = {std::move(order)};
  config.cells = [] {
    const SiteRecord &url = URL();
    return QStringList{url.Location.clipped().left(60), url.Description.clipped().left(60),
                       url.Category.clipped().left(15), QString::number(url.Rating), url.Keyword.clipped()};
  };
  config.update = UpdateSiteKeepingCategory;
  config.resetSource = [] { return CAT().Category.text(); };
  config.restoreReset = [](const QString &value) { CAT().Category = value; };
  config.presetFilter = [](const QString &value) { URL().Category = value; };
  BrowseList browse(window, std::move(config), scope.request);
  AlertListKeys(window, kSitesOfCategoryList);
  scope.response = RunBrowse(window, browse, section, kSitesOfCategoryClose, nullptr, [&browse](int control) {
    switch (control) {
    case kSitesOfCategoryInsert:
      browse.Insert();
      break;
    case kSitesOfCategoryChange:
      browse.Change();
      break;
    case kSitesOfCategoryDelete:
      browse.Delete();
      break;
    default:
      break;
    }
  });
}

void BrowseCategories() {
  ProcedureScope scope;
  const QString section = QStringLiteral("BrowseCategories");
  FileUse categories(Categories());
  WindowSpec spec(QStringLiteral("Browse Categories"), WindowKind::MdiChild, QRect(0, 0, 440, 200));
  spec.icon = ProgramIcon(QStringLiteral("VORNIX.ICO"));
  spec.minimum = spec.at.size(); // the controls scale with the window: smaller would cut their texts
  Window window(spec);
  auto &sheet = window.Add<SheetControl>(kCategoriesSheet, QRect(4, 4, 230, 172));
  window.Add<TabControl>(kCategoriesTab, sheet, QStringLiteral("Category"));
  window.Add<ListControl>(kCategoriesList, QRect(10, 22, 218, 148),
                          QStringLiteral("121L(2)|M~Category~@s30@1020L(2)|M~Description~@s255@"));
  window.Add<LabelControl>(kCategoriesHeading, QStringLiteral("Add, Edit, or Remove URL Categories here."),
                           QRect(240, 8, 196, 10), false);
  window.Add<OptionControl>(kCategoriesTipBox, QStringLiteral("Tip:"), QRect(240, 22, 196, 112));
  int line = 0;
  for (const char *text : kTipLines) {
    window.Add<LabelControl>(kCategoriesTipFirstLine + line, QString::fromLatin1(text),
                             QRect(246, 34 + 12 * line, 186, 10), false);
    ++line;
  }
  const struct {
    int number;
    const char *text;
    QRect at;
  } buttons[] = {{kCategoriesInsert, "&Insert", QRect(4, 182, 45, 14)},
                 {kCategoriesChange, "&Change", QRect(54, 182, 45, 14)},
                 {kCategoriesDelete, "&Delete", QRect(104, 182, 45, 14)},
                 {kCategoriesLocations, "Locations for this Category", QRect(240, 140, 120, 14)},
                 {kCategoriesClose, "Cl&ose", QRect(390, 182, 45, 14)}};
  for (const auto &b : buttons)
    window.Add<ButtonControl>(b.number, QString::fromLatin1(b.text), b.at);
  window.Open();
  // The controls keep their share of the window as it is resized, measured on the layout
  // above before the window takes its remembered size.
  ControlScaling scaling(window, kCategoriesTipFirstLine + int(std::size(kTipLines)) - 1);
  scaling.Init();
  RestoreWindowPosition(window, section, kIni);

  BrowseConfig config;
  config.file = &Categories();
  config.label = QStringLiteral("Categories");
  CommonConfig(config, kCategoriesList, kCategoriesSheet,
               {kCategoriesInsert, kCategoriesChange, kCategoriesDelete});
  config.orders = {TextOrder(
      Categories().K_Category, 30, [] { return CAT().Category.text(); },
      [](const QString &text) { CAT().Category = text; })};
  config.cells = [] {
    return QStringList{CAT().Category.clipped(), CAT().Description.clipped().left(kDescriptionShown)};
  };
  config.update = UpdateCategories;
  BrowseList browse(window, std::move(config), scope.request);
  AlertListKeys(window, kCategoriesList);
  scope.response = RunBrowse(window, browse, section, kCategoriesClose, &scaling, [&browse](int control) {
    switch (control) {
    case kCategoriesInsert:
      browse.Insert();
      break;
    case kCategoriesChange:
      browse.Change();
      break;
    case kCategoriesDelete:
      browse.Delete();
      break;
    case kCategoriesLocations:
      BrowseURLByCategory();
      browse.RefreshBrowse();
      break;
    default:
      break;
    }
  });
}

} // namespace vx
