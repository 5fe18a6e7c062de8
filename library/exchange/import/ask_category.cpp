#include "library/exchange/import/ask_category.h"

#include "library/core/browse_list.h"
#include "library/core/dictionary.h"
#include "library/core/file_use.h"
#include "library/core/globals.h"
#include "library/core/program_files.h"
#include "library/core/window_position.h"
#include "library/exchange/import/update_categories_no_mdi.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/window.h"

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");
const QString kSection = QStringLiteral("AskCategory");

// The categories that hold the HTML written before and after everything are no categories
// a site can be filed under.
bool IsSiteCategory(const void *record) {
  const QString name = LOWER(static_cast<const CategoryRecord *>(record)->Category.clipped());
  return name != QLatin1String("_before all") && name != QLatin1String("_after all");
}

BrowseConfig CategoryListConfig(bool selecting) {
  CategoriesFile &file = Categories();
  BrowseOrder order;
  order.key = &file.K_Category;
  order.thumb = ThumbKind::Text;
  order.stepLength = 30;
  order.locatorText = [] { return CAT().Category.text(); };
  order.setStep = [](const QString &text, double) { CAT().Category = text; };
  order.locate = [](QChar c) { CAT().Category = QString(c); };

  BrowseConfig config;
  config.file = &file;
  config.label = QStringLiteral("Categories");
  config.list = kAskList;
  config.orders = {order};
  config.rowFilter = IsSiteCategory;
  config.cells = [] { return QStringList{CAT().Category.clipped(), CAT().Description.text().left(255)}; };
  config.insertButton = kAskInsert;
  config.doubleClickButton = selecting ? kAskSelect : 0;
  config.update = UpdateCategoriesNoMDI;
  config.popupText = [selecting](bool rows) {
    return rows && selecting ? QStringLiteral("&Insert|&Select") : QStringLiteral("&Insert|~&Select");
  };
  config.popupButtons = {kAskInsert, kAskSelect};
  return config;
}

// A read-only field that shows a text of the site buffer.
void AddSiteField(Window &window, int number, const QRect &at, std::function<QString()> text) {
  auto &field = window.Add<EntryControl>(number, at);
  field.Use(std::move(text), {});
  field.SetReadOnly();
}

void BuildWindow(Window &window, const QString &guess) {
  AddSiteField(window, kAskLocation, QRect(60, 6, 254, 12), [] { return URL().Location.clipped(); });
  window.Add<LabelControl>(kAskLocationPrompt, QStringLiteral("&Location:"), QRect(6, 8, 52, 10));
  AddSiteField(window, kAskDescription, QRect(60, 22, 254, 12), [] { return URL().Description.clipped(); });
  window.Add<LabelControl>(kAskDescriptionPrompt, QStringLiteral("&Description:"), QRect(6, 24, 52, 10));
  auto &sheet = window.Add<SheetControl>(kAskSheet, QRect(4, 40, 312, 124));
  window.Add<TabControl>(kAskTab, sheet, QStringLiteral("Select Category"));
  window
      .Add<ListControl>(kAskList, QRect(10, 58, 300, 100),
                        QStringLiteral("123L(1)|M~Category~L(0)@s30@1020L(1)|M~Description~L(0)@s255@"))
      .Widget()
      ->setWhatsThis(QStringLiteral("Browsing Records"));
  window.Add<LabelControl>(kAskGuess, QStringLiteral("Best Guess:  ") + CLIP(guess), QRect(6, 170, 308, 10),
                           false);
  window.Add<ButtonControl>(kAskInsert, QStringLiteral("&Insert"), QRect(84, 186, 50, 14));
  window.Add<ButtonControl>(kAskSelect, QStringLiteral("&Select"), QRect(140, 186, 50, 14));
  window.Add<ButtonControl>(kAskUseGuess, QStringLiteral("&Use Best Guess"), QRect(196, 186, 72, 14));
  window.Add<ButtonControl>(kAskCancel, QStringLiteral("Cancel"), QRect(274, 186, 40, 14));
}

} // namespace

void AskCategory(const QString &guess) {
  ProcedureScope scope;
  const bool selecting = scope.request == 4;
  FileUse categoriesFile(Categories());
  FileUse sitesFile(VORNIX());
  WindowSpec spec(QStringLiteral("Category Assignment"), WindowKind::Dialog, QRect(0, 0, 320, 206));
  spec.icon = ProgramIcon(QStringLiteral("VUDODU.ICO"));
  Window window(spec);
  BuildWindow(window, guess);
  window.Open();
  RestoreWindowPosition(window, kSection, kIni);
  if (selecting) {
    window.Unhide(kAskSelect);
    window.SetDefaultButton(kAskSelect);
    window.Enable(kAskSelect);
  } else {
    window.Hide(kAskSelect);
    window.Disable(kAskSelect);
  }
  window.SetCancelButton(kAskCancel);
  BrowseList browse(window, CategoryListConfig(selecting), scope.request);
  for (int key : {int(KEY_MOUSE_LEFT2), int(KEY_INSERT)})
    window.Get<ListControl>(kAskList).Alert(key);

  int response = 2;
  while (window.Accept()) {
    const Event event = window.CurrentEvent();
    if (browse.Handle(event)) {
      if (event.kind == EventKind::OpenWindow)
        window.Select(kAskLocation);
    } else if (event.kind == EventKind::Accepted) {
      switch (event.control) {
      case kAskInsert:
        browse.TakeSelectedRow();
        browse.Insert();
        break;
      case kAskSelect:
        if (selecting) {
          browse.TakeSelectedRow();
          response = 1;
          window.Post(EventKind::CloseWindow);
        }
        break;
      case kAskUseGuess:
        response = 2;
        window.Post(EventKind::CloseWindow);
        break;
      case kAskCancel:
        response = kAskEndImport;
        window.Post(EventKind::CloseWindow);
        break;
      default:
        break;
      }
    }
    browse.Done(event);
  }
  SaveWindowPosition(window, kSection, kIni);
  window.Close();
  scope.response = response;
}

} // namespace vx
