#include "library/core/browse_vornix.h"

#include "library/core/browse_list.h"
#include "library/core/control_scaling.h"
#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/program_files.h"
#include "library/core/select_categories.h"
#include "library/core/update_vornix.h"
#include "library/core/window_position.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/desktop.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/window.h"

#include <cmath>

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");
const QString kSection = QStringLiteral("BrowseVORNIX");
const QString kSignature = QStringLiteral("714364299590");
const QString kFormat =
    QStringLiteral("107L|M~Description~@S100@89L|M~Location~@S255@60L|M~Category~@S30@25L|M~"
                   "Rating~@N2@40L(2)|M~Keyword~L(1)@s10@");

enum Order { kLocationOrder = 1, kCategoryOrder, kRatingOrder, kKeywordOrder, kDescriptionOrder };

// The value a typed character stands for in the Rating order: its digit, 0 for any other.
int DigitValue(QChar c) {
  return c.isDigit() ? c.digitValue() : 0;
}

std::vector<BrowseOrder> SiteOrders(SiteRecord &url) {
  SiteFile &file = VORNIX();
  const int categoryField = file.decl().fieldIndex(QStringLiteral("Category"));
  BrowseOrder location;
  location.key = &file.K_Location;
  location.thumb = ThumbKind::Text;
  location.stepLength = 255;
  location.locatorText = [&url] { return url.Location.text(); };
  location.setStep = [&url](const QString &text, double) { url.Location = text; };
  location.locate = [&url](QChar c) { url.Location = QString(c); };

  BrowseOrder category;
  category.key = &file.K_Category;
  category.thumb = ThumbKind::Text;
  category.stepLength = 100;
  category.locatorText = [&url] { return url.Description.text(); };
  category.setStep = [&url](const QString &text, double) { url.Description = text; };
  category.locate = [&url](QChar c) { url.Description = QString(c); };
  category.filterField = categoryField;

  BrowseOrder rating;
  rating.key = &file.K_Rating;
  rating.thumb = ThumbKind::NumericDescending;
  rating.locatorNumber = [&url] { return double(url.Rating); };
  rating.setStep = [&url](const QString &, double number) { url.Rating = int(std::lround(number)); };
  rating.locate = [&url](QChar c) {
    url.Rating = DigitValue(c);
    url.Description.clear();
    url.Location.clear();
  };

  BrowseOrder keyword;
  keyword.key = &file.K_Keyword;
  keyword.locate = [&url](QChar c) {
    url.Keyword = QString(c);
    url.Description.clear();
    url.Location.clear();
  };

  BrowseOrder description;
  description.key = &file.K_Description;
  description.thumb = ThumbKind::Text;
  description.stepLength = 100;
  description.locatorText = [&url] { return url.Description.text(); };
  description.setStep = [&url](const QString &text, double) { url.Description = text; };
  description.locate = [&url](QChar c) { url.Description = QString(c); };
  return {location, category, rating, keyword, description};
}

void AddControls(Window &window) {
  auto &sheet = window.Add<SheetControl>(kBrowseSheet, QRect(4, 4, 392, 182));
  window.Add<TabControl>(kBrowseTabDescription, sheet, QStringLiteral("Description"));
  window.Add<TabControl>(kBrowseTabLocation, sheet, QStringLiteral("Location"));
  auto &categoryTab = window.Add<TabControl>(kBrowseTabCategory, sheet, QStringLiteral("Category"));
  window.Add<TabControl>(kBrowseTabRating, sheet, QStringLiteral("Rating"));
  window.Add<TabControl>(kBrowseTabKeyword, sheet, QStringLiteral("Keyword"));
  window.Add<ListControl>(kBrowseList, QRect(10, 22, 380, 158), kFormat)
      .Widget()
      ->setWhatsThis(QStringLiteral("Browsing Records"));
  struct ButtonDef {
    int number;
    const char *text;
    const char *tip;
    QRect at;
  };
  const ButtonDef buttons[] = {
      {kBrowseSelectCategory, "Select Category", "Select a category to view", QRect(4, 192, 74, 14)},
      {kBrowseInsert, "&Insert", "Add location information", QRect(100, 192, 45, 14)},
      {kBrowseChange, "&Change", "Change location information", QRect(150, 192, 45, 14)},
      {kBrowseDelete, "&Delete", "Remove location information", QRect(200, 192, 45, 14)},
      {kBrowseClipboard, "URL -> Clipboard",
       "Copy location to the clipboard.  Use the clipboard monitor to quickly copy *FROM* the clipboard.",
       QRect(250, 192, 80, 14)},
      {kBrowseClose, "Cl&ose", "Close this window", QRect(350, 192, 45, 14)},
  };
  for (const ButtonDef &b : buttons)
    window.Add<ButtonControl>(b.number, QString::fromUtf8(b.text), b.at).SetTip(QString::fromUtf8(b.tip));
  window.Find(kBrowseSelectCategory)->PlaceOnTab(&categoryTab);
}

BrowseConfig SiteBrowseConfig(SiteRecord &url, CategoryRecord &cat) {
  BrowseConfig config;
  config.file = &VORNIX();
  config.label = QStringLiteral("VORNIX");
  config.list = kBrowseList;
  config.sheet = kBrowseSheet;
  config.orders = SiteOrders(url);
  config.orderOfTab = [](int tab) {
    switch (tab) {
    case 2:
      return int(kLocationOrder);
    case 3:
      return int(kCategoryOrder);
    case 4:
      return int(kRatingOrder);
    case 5:
      return int(kKeywordOrder);
    default:
      return int(kDescriptionOrder);
    }
  };
  config.cells = [&url] {
    return QStringList{url.Description.clipped(), url.Location.clipped(), url.Category.clipped(),
                       QString::number(url.Rating), url.Keyword.clipped()};
  };
  config.insertButton = kBrowseInsert;
  config.changeButton = kBrowseChange;
  config.deleteButton = kBrowseDelete;
  config.doubleClickButton = kBrowseChange;
  config.update = UpdateVORNIX;
  config.popupText = [](bool rows) {
    return rows ? QStringLiteral("&Insert|&Change|&Delete") : QStringLiteral("&Insert|~&Change|~&Delete");
  };
  config.popupButtons = {kBrowseInsert, kBrowseChange, kBrowseDelete};
  config.resetSource = [&cat] { return cat.Category.text(); };
  config.restoreReset = [&cat](const QString &value) { cat.Category = value; };
  config.presetFilter = [&url](const QString &value) { url.Category = value; };
  return config;
}

} // namespace

void BrowseVORNIX() {
  ProcedureScope scope;
  SiteRecord &url = URL();
  CategoryRecord &cat = CAT();
  TakeFile(Categories());
  TakeFile(VORNIX());
  WindowSpec spec(QStringLiteral("Browse Locations"), WindowKind::MdiChild, QRect(0, 0, 400, 210));
  spec.icon = ProgramIcon(QStringLiteral("VORNIX.ICO"));
  spec.minimum = spec.at.size(); // the controls scale with the window: smaller would cut their texts
  Window window(spec);
  AddControls(window);
  window.Open();
  RestoreWindowPosition(window, kSection, kIni);
  BrowseList browse(window, SiteBrowseConfig(url, cat), scope.request);
  ControlScaling scaling(window, kSection, kSignature, kBrowseTabKeyword);
  scaling.Init();
  auto &list = window.Get<ListControl>(kBrowseList);
  for (int key : {int(KEY_MOUSE_LEFT2), int(KEY_INSERT), int(KEY_DELETE), int(KEY_CTRL_ENTER)})
    list.Alert(key);
  list.SetFormat(GETINI(kSection, QStringLiteral("?Browse:1"), list.Format(), kIni));

  while (window.Accept()) {
    const Event event = window.CurrentEvent();
    if (event.kind == EventKind::Sized)
      scaling.Apply();
    if (browse.Handle(event)) {
      browse.Done(event);
      continue;
    }
    if (event.kind == EventKind::CloseWindow) {
      SaveWindowPosition(window, kSection, kIni);
    } else if (event.kind == EventKind::Accepted) {
      switch (event.control) {
      case kBrowseSelectCategory:
        browse.TakeSelectedRow();
        GlobalRequest = 4;
        SelectCategories();
        browse.RefreshBrowse();
        break;
      case kBrowseInsert:
        browse.TakeSelectedRow();
        browse.Insert();
        break;
      case kBrowseChange:
        browse.TakeSelectedRow();
        browse.Change();
        break;
      case kBrowseDelete:
        browse.TakeSelectedRow();
        browse.Delete();
        break;
      case kBrowseClipboard:
        browse.TakeSelectedRow();
        SETCLIPBOARD(CLIP(url.Location));
        break;
      case kBrowseClose:
        browse.TakeSelectedRow();
        browse.SetLocalResponse(2);
        window.Post(EventKind::CloseWindow);
        break;
      default:
        break;
      }
    }
    browse.Done(event);
  }

  ReleaseFile(Categories());
  ReleaseFile(VORNIX());
  {
    IniWriteBatch layout;
    PUTINI(kSection, QStringLiteral("?Browse:1"), list.Format(), kIni);
    SaveWindowPosition(window, kSection, kIni);
  }
  window.Close();
  scope.response = browse.LocalResponse();
}

} // namespace vx
