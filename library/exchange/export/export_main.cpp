#include "library/exchange/export/export_main.h"

#include "library/core/globals.h"
#include "library/core/procedure_table.h"
#include "library/exchange/exchange_window.h"
#include "library/exchange/export/export_history.h"
#include "library/exchange/export/export_names.h"
#include "library/exchange/export/export_process.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/box_control.h"
#include "library/runtime/windows/combo_control.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/message_box.h"

#include <QDir>

namespace vx {

namespace {

const QString kSelected = QStringLiteral("Selected");

// Binds a switch of the settings to a check box.
void UseSwitch(Control &box, quint8 &value) {
  box.Use([&value] { return value ? QStringLiteral("1") : QStringLiteral("0"); },
          [&value](const QString &text) { value = text == QLatin1String("1") ? 1 : 0; });
}

// The window and the settings it edits, as the procedure's local values.
class ExportWindow : public ExchangeWindow {
public:
  explicit ExportWindow(const ProgressRunner &run)
      : ExchangeWindow(run, WindowSpec(QStringLiteral("Export"), WindowKind::MdiChild, QRect(0, 0, 330, 194)),
                       QStringLiteral("Export"), QStringLiteral("ExportHelp"), true,
                       {kExportName, kExportBrowse, kExportCategory, kExportOk, kExportCancel, kExportHelp},
                       ProgramExportSettings().Name, ProgramExportSettings().Category),
        settings_(ProgramExportSettings()) {}

  void Run() {
    ReadExportSettings(settings_);
    ExchangeWindow::Run();
  }

private:
  void AddControls() override {
    Window &w = window_;
    w.Add<LabelControl>(
        kExportExplanation,
        QStringLiteral("This option allows you to export your Vornix database to a text or HTML file."),
        QRect(8, 6, 314, 10), false);
    w.Add<LabelControl>(kExportNamePrompt, QStringLiteral("E&xport to File:"), QRect(8, 25, 58, 10));
    auto &name = w.Add<ComboControl>(kExportName, QRect(68, 23, 198, 13), 255);
    name.SetHeading(QStringLiteral("Previously Exported Files"));
    name.Use(name_);
    w.Add<ButtonControl>(kExportBrowse, QStringLiteral("&Browse"), QRect(272, 22, 50, 14));

    auto &type = w.Add<OptionControl>(kExportType, QStringLiteral("&Export Type"), QRect(8, 42, 154, 78));
    const struct {
      int number;
      const char *text, *value;
    } types[] = {{kExportTable, "HTML - &Table", "HTML - Table"},
                 {kExportSimple, "&HTML - Simple", "HTML - Simple"},
                 {kExportFrame, "HTML - &Frame", "HTML - Frame"},
                 {kExportAscii, "&ASCII", "ASCII"},
                 {kExportComma, "Comma-&Delimited", "Comma-Delimited"}};
    int y = 54;
    for (const auto &choice : types) {
      w.Add<RadioControl>(choice.number, type, QString::fromLatin1(choice.text), QRect(16, y, 140, 10),
                          QString::fromLatin1(choice.value));
      y += 12;
    }
    w.Find(kExportFrame)
        ->SetTip(QStringLiteral(
            "Creates a set of HTML files with frames and alternative for non-frame capable browsers"));
    type.Use(settings_.Type);

    auto &categories = w.Add<OptionControl>(kExportCategories, QStringLiteral("Export &Categories"),
                                            QRect(170, 42, 152, 40));
    w.Add<RadioControl>(kExportAll, categories, QStringLiteral("All"), QRect(178, 54, 136, 10),
                        QStringLiteral("All"));
    w.Add<RadioControl>(kExportSelected, categories, kSelected, QRect(178, 66, 136, 10), kSelected);
    categories.Use(settings_.Categories);
    w.Add<LabelControl>(kExportCategoryPrompt, QStringLiteral("Category to Ex&port:"),
                        QRect(170, 88, 152, 10));
    auto &category = w.Add<ComboControl>(kExportCategory, QRect(170, 100, 152, 13), 30);
    category.Use(settings_.Category);

    w.Add<GroupControl>(kExportAdditional, QStringLiteral("Additional Information to Export"),
                        QRect(8, 126, 154, 40));
    UseSwitch(
        w.Add<CheckControl>(kExportSiteInfo, QStringLiteral("Export Site Info"), QRect(16, 138, 140, 10)),
        settings_.SiteInfo);
    UseSwitch(w.Add<CheckControl>(kExportRatings, QStringLiteral("Export Rating"), QRect(16, 150, 140, 10)),
              settings_.Ratings);

    auto &order =
        w.Add<OptionControl>(kExportOrder, QStringLiteral("Export O&rder"), QRect(170, 126, 152, 40));
    order.SetTip(QStringLiteral("Sort within category by location or description"));
    w.Add<RadioControl>(kExportByLocation, order, QStringLiteral("Location"), QRect(178, 138, 136, 10),
                        QStringLiteral("Location"));
    w.Add<RadioControl>(kExportByDescription, order, QStringLiteral("Description"), QRect(178, 150, 136, 10),
                        QStringLiteral("Description"));
    order.Use(settings_.Order);

    w.Add<ButtonControl>(kExportOk, QStringLiteral("&OK"), QRect(162, 174, 50, 14));
    w.Add<ButtonControl>(kExportCancel, QStringLiteral("Cancel"), QRect(217, 174, 50, 14));
    w.Add<ButtonControl>(kExportHelp, QStringLiteral("Help!"), QRect(272, 174, 50, 14));
  }

  // A remembered category that Categories no longer holds (renamed or deleted since) is not
  // offered: the entry starts blank, as before the first export.
  void CategoryListFilled() override {
    if (!CategoryListed()) {
      settings_.Category.clear();
      window_.Display(kExportCategory);
    }
  }

  // The category entry shows only while one category is exported.
  void ShowCategoryEntry() override {
    ShowCategory(CLIP(settings_.Categories) != QLatin1String("All"), kExportCategoryPrompt);
  }

  void Accepted(int control) override {
    if (control == kExportCategory && !CategoryListed())
      window_.Select(kExportCategory);
    else if (control == kExportOk)
      Export();
  }

  // The name in the combo becomes the export's: a name not exported before keeps the focus
  // in the combo, and one without an extension gets the type's.
  void TakeName() override {
    QString text = CLIP(name_);
    if (!history_.contains(text))
      window_.Select(kExportName);
    if (!text.isEmpty())
      text = WithDefaultExtension(text, settings_.Type);
    settings_.Name = text;
    name_ = text;
    window_.Display(kExportName);
  }

  void Export() {
    QDir::setCurrent(home_);
    // What the combo shows is what is exported, also when the user has not left it.
    if (window_.Find(kExportName)->Text() != settings_.Name) {
      window_.Find(kExportName)->Update();
      TakeName();
    }
    if (!window_.Find(kExportCategory)->IsHidden())
      window_.Find(kExportCategory)->Update();
    if (CLIP(settings_.Name).isEmpty()) {
      window_.Select(kExportName);
      MESSAGE(QStringLiteral("You must enter an export file name."), QStringLiteral("Information Required"),
              MessageIcon::None, BUTTON_OK);
      return;
    }
    if (!ExportWriter::Writes(settings_.Type)) {
      window_.Select(kExportType);
      MESSAGE(QStringLiteral("You must choose an export type."), QStringLiteral("Information Required"),
              MessageIcon::None, BUTTON_OK);
      return;
    }
    // "Selected" exports one category of the list as Categories holds it now, also when
    // another window renamed or deleted one since the list was read.
    if (CLIP(settings_.Categories) == kSelected) {
      FillCategoryList();
      if (!CategoryListed()) {
        window_.Select(kExportCategory);
        MESSAGE(QStringLiteral("You must choose a category to export."),
                QStringLiteral("Information Required"), MessageIcon::None, BUTTON_OK);
        return;
      }
    }
    // A name whose file cannot be made is shown, and kept out of the names offered again.
    if (!ExportFileCanBeCreated(CLIP(settings_.Name))) {
      window_.Select(kExportName);
      return;
    }
    AddExportHistory(CLIP(settings_.Name));
    ExchangeFileName = settings_.Name;
    WriteExportSettings(settings_);
    FillHistoryList();
    name_ = settings_.Name;
    window_.Display();
    ExportFile(settings_, run_);
    window_.Display();
  }

  ExportSettings &settings_;
};

} // namespace

void ExportFile(const ExportSettings &settings, const ProgressRunner &run) {
  ProcedureScope scope;
  scope.response = run(
      [&settings](BatchProgress &progress) { return std::make_unique<ExportProcess>(settings, progress); });
}

void ExportMain(const ProgressRunner &run) {
  ProcedureScope scope;
  ExportWindow window(run);
  window.Run();
}

} // namespace vx
