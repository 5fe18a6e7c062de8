#pragma once

#include "library/core/file_use.h"
#include "library/exchange/progress_runner.h"
#include "library/runtime/windows/window.h"

#include <QString>
#include <QStringList>

namespace vx {

// What the Import and Export windows share, as the local values and routines of their
// procedures: the window and its event loop, Categories and History taken through their use
// counts, the working directory kept from the opening, the combo of file names whose list
// holds the History file's names of the window's kind, the category entry with its list,
// "&Browse", the name kept under Export1 of section "History" offered on a right click,
// Cancel and Help.
//
// The derived window adds its controls, keeps its category entry shown or hidden before
// each event, and handles the controls of its own; the names of the shared controls and the
// settings they edit are given at construction. The settings are borrowed for the window's
// life.
class ExchangeWindow {
public:
  struct Controls {
    int name;     // the combo of file names
    int browse;   // "&Browse"
    int category; // the category entry
    int ok;
    int cancel;
    int help;
  };

  // `kind` is the History entries' type ("Import" or "Export"), `help` the procedure that
  // Help runs, and `save` whether the file dialog chooses a file to write.
  ExchangeWindow(const ProgressRunner &run, WindowSpec spec, const QString &kind, const QString &help,
                 bool save, Controls controls, QString &name, QString &category);
  virtual ~ExchangeWindow() = default;

  // Opens the window and runs it until it closes; the combo starts with the settings' name.
  void Run();

protected:
  virtual void AddControls() = 0;
  // Before each event: shows or hides the category entry.
  virtual void ShowCategoryEntry() = 0;
  // An Accepted event of a control that is not one of the shared controls.
  virtual void Accepted(int control) = 0;
  // The name in the combo was accepted.
  virtual void TakeName() = 0;
  // After the window opened, and as it is about to close.
  virtual void Opened() {}
  virtual void Closing() {}
  // After the category list has been filled.
  virtual void CategoryListFilled() {}

  // Shows or hides the category entry and its prompt.
  void ShowCategory(bool shown, int prompt);
  // Whether the category entry names one of its list's categories; it then takes the list's
  // spelling.
  bool CategoryListed();
  // Fills the list of the names of files used before; the combo keeps its text, or shows the
  // first name when it has none.
  void FillHistoryList();
  void FillCategoryList();

private:
  FileUse categoriesUse_;
  FileUse historyUse_;

protected:
  const ProgressRunner &run_;
  const QString home_;
  Window window_;
  QString name_; // the combo's text
  QStringList history_;
  QStringList categories_;

private:
  void Browse();
  void OfferKeptName();

  const QString kind_;
  const QString help_;
  const bool save_;
  const Controls controls_;
  QString &settingsName_;
  QString &settingsCategory_;
};

} // namespace vx
