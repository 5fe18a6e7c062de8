#include "library/core/select_categories.h"

#include "library/core/browse_list.h"
#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/window_position.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/window.h"

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");
const QString kSection = QStringLiteral("SelectCategories");

BrowseConfig CategoryListConfig(CategoryRecord &cat, bool selecting) {
  CategoriesFile &file = Categories();
  BrowseOrder order;
  order.key = &file.K_Category;
  order.thumb = ThumbKind::Text;
  order.stepLength = 30;
  order.locatorText = [&cat] { return cat.Category.text(); };
  order.setStep = [&cat](const QString &text, double) { cat.Category = text; };
  order.locate = [&cat](QChar c) { cat.Category = QString(c); };

  BrowseConfig config;
  config.file = &file;
  config.label = QStringLiteral("Categories");
  config.list = kSelectList;
  config.sheet = kSelectSheet;
  config.orderOfTab = [](int) { return 1; };
  config.orders = {order};
  config.cells = [&cat] { return QStringList{cat.Category.clipped(), cat.Description.text().left(255)}; };
  config.doubleClickButton = selecting ? kSelectButton : 0;
  config.popupText = [selecting](bool rows) {
    return rows && selecting ? QStringLiteral("&Select") : QStringLiteral("~&Select");
  };
  config.popupButtons = {kSelectButton};
  return config;
}

} // namespace

void SelectCategories() {
  ProcedureScope scope;
  CategoryRecord &cat = CAT();
  const bool selecting = scope.request == 4;
  TakeFile(Categories());
  Window window(WindowSpec(QStringLiteral("Select Category"), WindowKind::MdiChild, QRect(0, 0, 260, 150)));
  auto &sheet = window.Add<SheetControl>(kSelectSheet, QRect(4, 4, 252, 120));
  window.Add<TabControl>(kSelectTab, sheet, QStringLiteral("Category"));
  window
      .Add<ListControl>(kSelectList, QRect(10, 22, 240, 96),
                        QStringLiteral("120L|M~Category~@s30@1020L~Description~@s255@"))
      .Widget()
      ->setWhatsThis(QStringLiteral("Browsing Records"));
  window.Add<ButtonControl>(kSelectButton, QStringLiteral("&Select"), QRect(150, 130, 50, 14));
  window.Add<ButtonControl>(kSelectClose, QStringLiteral("Close"), QRect(206, 130, 50, 14));
  window.Open();
  RestoreWindowPosition(window, kSection, kIni);
  if (selecting) {
    window.Unhide(kSelectButton);
    window.SetDefaultButton(kSelectButton);
    window.Enable(kSelectButton);
  } else {
    window.Hide(kSelectButton);
    window.Disable(kSelectButton);
  }
  window.SetCancelButton(kSelectClose);
  BrowseList browse(window, CategoryListConfig(cat, selecting), scope.request);
  window.Get<ListControl>(kSelectList).Alert(KEY_MOUSE_LEFT2);

  while (window.Accept()) {
    const Event event = window.CurrentEvent();
    if (!browse.Handle(event) && event.kind == EventKind::Accepted &&
        (event.control == kSelectButton || event.control == kSelectClose)) {
      browse.TakeSelectedRow();
      browse.SetLocalResponse(event.control == kSelectButton ? 1 : 2);
      window.Post(EventKind::CloseWindow);
    }
    browse.Done(event);
  }

  ReleaseFile(Categories());
  SaveWindowPosition(window, kSection, kIni);
  window.Close();
  scope.response = browse.LocalResponse();
}

} // namespace vx
