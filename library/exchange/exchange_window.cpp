#include "library/exchange/exchange_window.h"

#include "library/core/dictionary.h"
#include "library/core/procedure_table.h"
#include "library/exchange/file_lists.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/combo_control.h"
#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/popup_menu.h"

#include <QDir>

namespace vx {

ExchangeWindow::ExchangeWindow(const ProgressRunner &run, WindowSpec spec, const QString &kind,
                               const QString &help, bool save, Controls controls, QString &name,
                               QString &category)
    : categoriesUse_(Categories()), historyUse_(History()), run_(run), home_(QDir::currentPath()),
      window_(std::move(spec)), kind_(kind), help_(help), save_(save), controls_(controls),
      settingsName_(name), settingsCategory_(category) {}

void ExchangeWindow::Run() {
  name_ = settingsName_;
  AddControls();
  window_.Alert(KEY_MOUSE_RIGHT);
  window_.Open();
  Opened();
  window_.SetDefaultButton(controls_.ok);
  window_.SetCancelButton(controls_.cancel);
  bool focused = false;
  while (window_.Accept()) {
    ShowCategoryEntry();
    const Event &event = window_.CurrentEvent();
    switch (event.kind) {
    case EventKind::OpenWindow:
      FillCategoryList();
      FillHistoryList();
      window_.Display();
      window_.Select(controls_.name);
      break;
    case EventKind::GainFocus:
      if (!focused)
        window_.Display();
      focused = true;
      break;
    case EventKind::AlertKey:
      if (event.key == KEY_MOUSE_RIGHT)
        OfferKeptName();
      break;
    case EventKind::Accepted:
      if (event.control == controls_.name) {
        TakeName();
      } else if (event.control == controls_.browse) {
        Browse();
      } else if (event.control == controls_.cancel) {
        window_.Post(EventKind::CloseWindow);
      } else if (event.control == controls_.help) {
        QDir::setCurrent(home_);
        if (const ProcedureFn help = FindProcedure(help_))
          help();
      } else {
        Accepted(event.control);
      }
      break;
    default:
      break;
    }
  }
  Closing();
  window_.Close();
}

void ExchangeWindow::ShowCategory(bool shown, int prompt) {
  for (int control : {prompt, controls_.category}) {
    if (shown)
      window_.Unhide(control);
    else
      window_.Hide(control);
  }
}

void ExchangeWindow::Browse() {
  QString chosen = CLIP(settingsName_);
  if (FILEDIALOG(QStringLiteral("Choose a File"), chosen,
                 QStringLiteral("All Files|*.*|HTML files|*.htm|ASCII files|*.txt"), save_))
    settingsName_ = chosen;
  name_ = settingsName_;
  window_.Display(controls_.name);
  QDir::setCurrent(home_);
}

bool ExchangeWindow::CategoryListed() {
  const QString wanted = UPPER(CLIP(settingsCategory_));
  for (const QString &category : std::as_const(categories_)) {
    if (UPPER(category) == wanted) {
      settingsCategory_ = category;
      window_.Display(controls_.category);
      return true;
    }
  }
  return false;
}

void ExchangeWindow::OfferKeptName() {
  const QString kept = GETINI(QStringLiteral("History"), QStringLiteral("Export1"));
  if (CLIP(kept).isEmpty() || POPUP(kept) != 1)
    return;
  settingsName_ = kept;
  name_ = kept;
  window_.Display(controls_.name);
}

void ExchangeWindow::FillHistoryList() {
  const QString remembered = CLIP(name_);
  if (!ReadHistoryNames(kind_, history_))
    window_.Post(EventKind::CloseWindow);
  window_.Get<ComboControl>(controls_.name).SetItems(history_);
  if (remembered.isEmpty() && !history_.isEmpty()) {
    name_ = history_.first();
    window_.Display(controls_.name);
  }
}

void ExchangeWindow::FillCategoryList() {
  if (!ReadCategoryNames(categories_))
    window_.Post(EventKind::CloseWindow);
  window_.Get<ComboControl>(controls_.category).SetItems(categories_);
  if (categories_.isEmpty())
    settingsCategory_.clear();
  CategoryListFilled();
}

} // namespace vx
