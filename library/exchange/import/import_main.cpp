#include "library/exchange/import/import_main.h"

#include "library/core/globals.h"
#include "library/core/procedure_table.h"
#include "library/core/rejected_entry.h"
#include "library/core/window_position.h"
#include "library/exchange/exchange_window.h"
#include "library/exchange/import/import_history.h"
#include "library/exchange/import/import_process.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/box_control.h"
#include "library/runtime/windows/combo_control.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/message_box.h"

#include <QDir>

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");
const QString kSection = QStringLiteral("ImportMain");

// The window and the settings it edits, as the procedure's local values.
class ImportWindow : public ExchangeWindow {
public:
  explicit ImportWindow(const ProgressRunner &run)
      : ExchangeWindow(run, WindowSpec(QStringLiteral("Import"), WindowKind::MdiChild, QRect(0, 0, 356, 156)),
                       QStringLiteral("Import"), QStringLiteral("ImportHelp"), false,
                       {kImportMainName, kImportMainBrowse, kImportMainCategory, kImportMainOk,
                        kImportMainCancel, kImportMainHelp},
                       ProgramImportSettings().Name, ProgramImportSettings().Category),
        settings_(ProgramImportSettings()) {}

  void Run() {
    ReadImportSettings(settings_);
    ExchangeWindow::Run();
  }

private:
  void Opened() override { RestoreWindowPosition(window_, kSection, kIni); }
  void Closing() override { SaveWindowPosition(window_, kSection, kIni); }

  void AddControls() override {
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
  void ShowCategoryEntry() override {
    ShowCategory(settings_.Categories.startsWith(u'S'), kImportMainCategoryPrompt);
  }

  void Accepted(int control) override {
    if (control == kImportMainCategory && !CategoryListed())
      ShowRejected(window_, kImportMainCategory);
    else if (control == kImportMainOk)
      Import();
  }

  // The name in the combo becomes the import's, as typed: a name not imported before keeps
  // the focus in the combo.
  void TakeName() override {
    settings_.Name = CLIP(name_);
    if (!history_.contains(settings_.Name))
      window_.Select(kImportMainName);
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

  ImportSettings &settings_;
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
