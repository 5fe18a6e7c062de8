#include "library/exchange/import/import_main.h"

#include "library/core/dictionary.h"
#include "library/core/file_use.h"
#include "library/core/globals.h"
#include "library/core/procedure_table.h"
#include "library/core/rejected_entry.h"
#include "library/core/window_position.h"
#include "library/exchange/file_lists.h"
#include "library/exchange/import/import_history.h"
#include "library/exchange/import/import_process.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/box_control.h"
#include "library/runtime/windows/combo_control.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/popup_menu.h"
#include "library/runtime/windows/window.h"

#include <QDir>

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");
const QString kSection = QStringLiteral("ImportMain");

// The window, its lists and the settings it edits, as the procedure's local values.
class ImportWindow {
public:
  explicit ImportWindow(const ProgressRunner &run)
      : run_(run), settings_(ProgramImportSettings()), home_(QDir::currentPath()),
        categoriesUse_(Categories()), historyUse_(History()),
        window_(WindowSpec(QStringLiteral("Import"), WindowKind::MdiChild, QRect(0, 0, 356, 156))) {}

  void Run() {
    ReadImportSettings(settings_);
    name_ = settings_.Name;
    AddControls();
    window_.Alert(KEY_MOUSE_RIGHT);
    window_.Open();
    RestoreWindowPosition(window_, kSection, kIni);
    window_.SetDefaultButton(kImportMainOk);
    window_.SetCancelButton(kImportMainCancel);
    bool focused = false;
    while (window_.Accept()) {
      ShowCategoryEntry();
      const Event &event = window_.CurrentEvent();
      switch (event.kind) {
      case EventKind::OpenWindow:
        FillCategoryList();
        FillHistoryList();
        window_.Display();
        window_.Select(kImportMainName);
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
        Accepted(event.control);
        break;
      default:
        break;
      }
    }
    SaveWindowPosition(window_, kSection, kIni);
    window_.Close();
  }

private:
  void AddControls() {
    Window &w = window_;
    w.Add<LabelControl>(
        kImportMainExplanation,
        QStringLiteral("This option allows you to import from various documents into your Vornix database."),
        QRect(8, 6, 340, 10), false);
    w.Add<LabelControl>(kImportMainNamePrompt, QStringLiteral("Import from &File:"), QRect(8, 25, 70, 10));
    auto &name = w.Add<ComboControl>(kImportMainName, QRect(80, 23, 212, 13), 255);
    name.SetHeading(QStringLiteral("Previously Imported Files"));
    name.Use(name_);
    w.Add<ButtonControl>(kImportMainBrowse, QStringLiteral("&Browse"), QRect(298, 22, 50, 14));

    struct Choice {
      int number;
      const char *text;
    };
    auto addChoices = [&w](OptionControl &group, int x, std::initializer_list<Choice> choices) {
      int y = 54;
      for (const Choice &choice : choices) {
        const QString text = QString::fromLatin1(choice.text);
        w.Add<RadioControl>(choice.number, group, text, QRect(x, y, 150, 10), text);
        y += 12;
      }
    };
    auto &type = w.Add<OptionControl>(kImportMainType, QStringLiteral("Import From"), QRect(8, 42, 166, 52));
    addChoices(type, 16,
               {{kImportMainHtml, "HTML Document"},
                {kImportMainComma, "Comma-delimited file"},
                {kImportMainText, "Any ASCII text file"}});
    type.Use(settings_.Type);
    auto &method = w.Add<OptionControl>(kImportMainMethod, QStringLiteral("Category Determination Method"),
                                        QRect(182, 42, 166, 52));
    addChoices(method, 190,
               {{kImportMainSelected, "Selected Category"},
                {kImportMainGuess, "Make Best Guess"},
                {kImportMainAsk, "Ask for Each URL"}});
    method.Use(settings_.Categories);
    w.Add<LabelControl>(kImportMainCategoryPrompt, QStringLiteral("Category to Import:"),
                        QRect(182, 100, 166, 10));
    w.Add<ComboControl>(kImportMainCategory, QRect(182, 112, 166, 13), 30).Use(settings_.Category);

    w.Add<ButtonControl>(kImportMainOk, QStringLiteral("&OK"), QRect(188, 134, 50, 14));
    w.Add<ButtonControl>(kImportMainCancel, QStringLiteral("Cancel"), QRect(243, 134, 50, 14));
    w.Add<ButtonControl>(kImportMainHelp, QStringLiteral("Help!"), QRect(298, 134, 50, 14));
  }

  // The category entry shows only while every site goes to the selected category.
  void ShowCategoryEntry() {
    const bool selected = settings_.Categories.startsWith(u'S');
    for (int control : {kImportMainCategoryPrompt, kImportMainCategory}) {
      if (selected)
        window_.Unhide(control);
      else
        window_.Hide(control);
    }
  }

  void Accepted(int control) {
    switch (control) {
    case kImportMainName:
      TakeName();
      break;
    case kImportMainBrowse:
      Browse();
      break;
    case kImportMainCategory:
      CheckCategory();
      break;
    case kImportMainOk:
      Import();
      break;
    case kImportMainCancel:
      window_.Post(EventKind::CloseWindow);
      break;
    case kImportMainHelp:
      QDir::setCurrent(home_);
      if (const ProcedureFn help = FindProcedure(QStringLiteral("ImportHelp")))
        help();
      break;
    default:
      break;
    }
  }

  // The name in the combo becomes the import's, as typed: a name not imported before keeps
  // the focus in the combo.
  void TakeName() {
    settings_.Name = CLIP(name_);
    if (!history_.contains(settings_.Name))
      window_.Select(kImportMainName);
  }

  void Browse() {
    QString chosen = CLIP(settings_.Name);
    if (FILEDIALOG(QStringLiteral("Choose a File"), chosen,
                   QStringLiteral("All Files|*.*|HTML files|*.htm|ASCII files|*.txt")))
      settings_.Name = chosen;
    name_ = settings_.Name;
    window_.Display(kImportMainName);
    QDir::setCurrent(home_);
  }

  // The category must be one of the list's; a name that differs only in letter case takes
  // the list's spelling.
  void CheckCategory() {
    const QString wanted = UPPER(CLIP(settings_.Category));
    for (const QString &category : categories_) {
      if (UPPER(category) == wanted) {
        settings_.Category = category;
        window_.Display(kImportMainCategory);
        return;
      }
    }
    ShowRejected(window_, kImportMainCategory);
  }

  // The name kept under Export1 of section History, offered on a right click.
  void OfferKeptName() {
    const QString kept = GETINI(QStringLiteral("History"), QStringLiteral("Export1"));
    if (CLIP(kept).isEmpty() || POPUP(kept) != 1)
      return;
    settings_.Name = kept;
    name_ = kept;
    window_.Display(kImportMainName);
  }

  void Import() {
    QDir::setCurrent(home_);
    // What the combo shows is what is imported, also when the user has not left it.
    window_.Find(kImportMainName)->Update();
    settings_.Name = CLIP(name_);
    if (!window_.Find(kImportMainCategory)->IsHidden())
      window_.Find(kImportMainCategory)->Update();
    if (settings_.Name.isEmpty()) {
      window_.Select(kImportMainName);
      MESSAGE(QStringLiteral("You must enter an Import file name."), QStringLiteral("Information Required"),
              MessageIcon::None, BUTTON_OK);
      return;
    }
    AddImportHistory(settings_.Name);
    ExchangeFileName = settings_.Name;
    WriteImportSettings(settings_);
    FillHistoryList();
    name_ = settings_.Name;
    window_.Display();
    ImportFile(settings_, run_);
    window_.Display();
  }

  // The names imported before; the combo keeps its text, or shows the first name when it
  // has none.
  void FillHistoryList() {
    const QString remembered = CLIP(name_);
    if (!ReadHistoryNames(QStringLiteral("Import"), history_))
      window_.Post(EventKind::CloseWindow);
    window_.Get<ComboControl>(kImportMainName).SetItems(history_);
    if (remembered.isEmpty() && !history_.isEmpty()) {
      name_ = history_.first();
      window_.Display(kImportMainName);
    }
  }

  void FillCategoryList() {
    if (!ReadCategoryNames(categories_))
      window_.Post(EventKind::CloseWindow);
    window_.Get<ComboControl>(kImportMainCategory).SetItems(categories_);
    if (categories_.isEmpty())
      settings_.Category.clear();
  }

  const ProgressRunner &run_;
  ImportSettings &settings_;
  const QString home_;
  FileUse categoriesUse_;
  FileUse historyUse_;
  Window window_;
  QString name_; // the combo's text
  QStringList history_;
  QStringList categories_;
};

} // namespace

void ImportFile(const ImportSettings &settings, const ProgressRunner &run) {
  ProcedureScope scope;
  scope.response = run(
      [&settings](BatchProgress &progress) { return std::make_unique<ImportProcess>(settings, progress); });
}

void ImportMain(const ProgressRunner &run) {
  ProcedureScope scope;
  ImportWindow window(run);
  window.Run();
}

} // namespace vx
