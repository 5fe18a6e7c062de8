#include "library/reports/text_viewer.h"

#include "library/core/globals.h"
#include "library/core/program_files.h"
#include "library/core/progress_window.h"
#include "library/core/rejected_entry.h"
#include "library/core/standard_messages.h"
#include "library/core/window_position.h"
#include "library/reports/report_failure.h"
#include "library/reports/text_search.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/line_file.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/report/report.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/table_list_control.h"
#include "library/runtime/windows/window.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");
constexpr int kLineLength = 255;
constexpr int kBytesPerBatch = 20000;
constexpr int kButtonRow = 22; // dialog units below the list

struct ViewerKind {
  const char *procedure;
  const char *file;
  const char *caption;
  const char *heading;
  bool byteCount;
};

// The text file name shared by the four viewers: each sets it right before it loads.
QString &TextFileName() {
  static QString name;
  return name;
}

// The lines' font on paper: Fixedsys 9, or the fixed face that stands for it.
PageFont ListFont() {
  return PageFont{QStringLiteral("Fixedsys"), 90, false, false, true};
}

class WaitCursor {
public:
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor &) = delete;
  WaitCursor &operator=(const WaitCursor &) = delete;
};

class TextViewer {
public:
  explicit TextViewer(const ViewerKind &kind) : kind_(kind), window_(Spec(kind)) {
    auto &list = window_.Add<TableListControl>(kViewerList, QRect(4, 4, 312, 176));
    list.SetTable(&lines_);
    QFont font(QStringLiteral("Fixedsys"), 9);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    list.SetListFont(font);
    const struct {
      int number;
      const char *text;
    } buttons[] = {{kViewerPrint, "&Print"},
                   {kViewerFind, "&Find..."},
                   {kViewerFindNext, "Find Next"},
                   {kViewerClose, "&Close"}};
    for (const auto &b : buttons)
      window_.Add<ButtonControl>(b.number, QString::fromLatin1(b.text), QRect());
  }

  int Run() {
    window_.Open();
    RestoreWindowPosition(window_, Section(), kIni);
    window_.Disable(kViewerFindNext);
    window_.SetCancelButton(kViewerClose);
    Layout();
    while (window_.Accept()) {
      const Event &event = window_.CurrentEvent();
      switch (event.kind) {
      case EventKind::OpenWindow:
        Refresh();
        window_.Select(kViewerList);
        break;
      case EventKind::GainFocus:
        Refresh();
        break;
      case EventKind::Sized:
        Layout();
        break;
      case EventKind::Rejected:
        ShowRejected(window_, event.control);
        break;
      case EventKind::Accepted:
        Accepted(event.control);
        break;
      default:
        break;
      }
    }
    SaveWindowPosition(window_, Section(), kIni);
    window_.Close();
    return response_;
  }

private:
  static WindowSpec Spec(const ViewerKind &kind) {
    WindowSpec spec(QString::fromLatin1(kind.caption), WindowKind::MdiChild, QRect(0, 0, 440, 250));
    spec.icon = ProgramIcon(QStringLiteral("VORNIX.ICO"));
    return spec;
  }

  QString Section() const { return QString::fromLatin1(kind_.procedure); }
  QString FileName() const { return QString::fromLatin1(kind_.file); }
  TableListControl &List() { return window_.Get<TableListControl>(kViewerList); }

  void Accepted(int control) {
    switch (control) {
    case kViewerPrint:
      Print();
      break;
    case kViewerFind:
      if (FindDialog()) {
        Search();
        window_.Enable(kViewerFindNext);
      } else {
        window_.Disable(kViewerFindNext);
      }
      break;
    case kViewerFindNext:
      Search();
      break;
    case kViewerClose:
      response_ = 2;
      window_.Post(EventKind::CloseWindow);
      break;
    default:
      break;
    }
  }

  // The list fills the window above a row of buttons.
  void Layout() {
    const DialogUnits &units = window_.Units();
    const int width = units.ToUnitsX(window_.ClientArea()->width());
    const int height = units.ToUnitsY(window_.ClientArea()->height());
    List().SetPosition(QRect(4, 4, std::max(20, width - 8), std::max(20, height - 4 - kButtonRow)));
    const int y = std::max(24, height - kButtonRow + 4);
    window_.Find(kViewerPrint)->SetPosition(QRect(4, y, 45, 14));
    window_.Find(kViewerFind)->SetPosition(QRect(54, y, 45, 14));
    window_.Find(kViewerFindNext)->SetPosition(QRect(104, y, 45, 14));
    window_.Find(kViewerClose)->SetPosition(QRect(std::max(154, width - 49), y, 45, 14));
  }

  // Loads the file on the first refresh of the window; later ones only redisplay.
  void Refresh() {
    if (FileName() != loadedName_) {
      TextFileName() = FileName();
      Load();
      loadedName_ = FileName();
    }
    window_.Display();
  }

  void Load() {
    lines_.clear();
    List().Sync();
    const QString name = TextFileName();
    if (CLIP(name).isEmpty()) {
      window_.Disable(kViewerList);
      return;
    }
    window_.Enable(kViewerList);
    LineFile file(ViewerFilePath(name), kLineLength);
    file.OPEN(LineFile::Access::ReadOnly, LineFile::Share::DenyAll);
    if (ERRORCODE()) {
      window_.Disable(kViewerList);
      ShowStandardMessage1(26, name);
      return;
    }
    const qint64 size = file.BYTES();
    if (size == 0) {
      file.CLOSE();
      window_.Disable(kViewerList);
      ShowStandardMessage1(28, name);
      return;
    }
    ProgressWindow progress;
    progress.Open(QStringLiteral("Reading File"), QString::fromLatin1(kind_.heading));
    qint64 bytesRead = 0;
    bool ended = false;
    while (progress.window().Accept()) {
      const Event &event = progress.window().CurrentEvent();
      if (event.kind == EventKind::OpenWindow) {
        file.SET();
      } else if (event.kind == EventKind::Timer && !ended) {
        qint64 thisEvent = 0;
        progress.StartBatch(kBytesPerBatch);
        while (progress.BatchGoesOn(int(std::min<qint64>(thisEvent, kBytesPerBatch)))) {
          file.NEXT();
          if (ERRORCODE()) {
            ended = true;
            break;
          }
          thisEvent += file.BYTES();
          bytesRead += file.BYTES();
          lines_.push_back(file.line);
        }
        List().Sync();
        if (progress.Shown() < 100) {
          const int percent = ProgressWindow::PercentOf(bytesRead, size);
          QString text = ProgressWindow::PercentText(percent);
          if (kind_.byteCount)
            text += QStringLiteral(" (%1) bytes").arg(bytesRead);
          progress.Show(percent, text);
        }
        if (ended)
          progress.window().Post(EventKind::CloseWindow);
      } else if (event.kind == EventKind::Accepted && event.control == ProgressWindow::kCancel) {
        if (ShowStandardMessage1(27, name) == BUTTON_OK) {
          ended = true;
          progress.window().Post(EventKind::CloseWindow);
        }
      }
    }
    progress.Close();
    file.CLOSE();
  }

  // The Find dialog; true when it ended with Find.
  bool FindDialog() {
    WindowSpec spec(QStringLiteral("Searching Text..."), WindowKind::Dialog, QRect(0, 0, 226, 72));
    spec.resizable = false;
    Window dialog(spec);
    dialog.Add<LabelControl>(kFindPrompt, QStringLiteral("Find What:"), QRect(6, 8, 44, 10));
    auto &text = dialog.Add<EntryControl>(kFindText, QRect(52, 6, 112, 12), 80);
    text.Use(searchText_);
    dialog.Add<CheckControl>(kFindWholeWord, QStringLiteral("Match &Whole Word Only"), QRect(6, 30, 112, 10))
        .Use(wholeWord_);
    dialog.Add<CheckControl>(kFindMatchCase, QStringLiteral("Match &Case"), QRect(6, 46, 112, 10))
        .Use(matchCase_);
    auto &direction =
        dialog.Add<OptionControl>(kFindDirection, QStringLiteral("Direction"), QRect(120, 24, 46, 42));
    dialog.Add<RadioControl>(kFindUp, direction, QStringLiteral("Up"), QRect(126, 37, 36, 10),
                             QStringLiteral("Up"));
    dialog.Add<RadioControl>(kFindDown, direction, QStringLiteral("Down"), QRect(126, 51, 36, 10),
                             QStringLiteral("Down"));
    direction.Use(direction_);
    dialog.Add<ButtonControl>(kFindOk, QStringLiteral("Find"), QRect(172, 5, 48, 14));
    dialog.Add<ButtonControl>(kFindCancel, QStringLiteral("Cancel"), QRect(172, 23, 48, 14));
    dialog.SetDefaultButton(kFindOk);
    dialog.SetCancelButton(kFindCancel);
    dialog.Open();
    int answer = 2;
    while (dialog.Accept()) {
      const Event &event = dialog.CurrentEvent();
      if (event.kind == EventKind::OpenWindow) {
        searchText_.clear();
        dialog.Display();
        dialog.Select(kFindText);
      } else if (event.kind == EventKind::Accepted && event.control == kFindOk) {
        text.Update();
        answer = 1;
        dialog.Post(EventKind::CloseWindow);
      } else if (event.kind == EventKind::Accepted && event.control == kFindCancel) {
        dialog.Post(EventKind::CloseWindow);
      }
    }
    dialog.Close();
    return answer == 1;
  }

  // Searches from the selected line in the chosen direction; at the last line (first, going
  // up) message 29 offers to go on from the other end.
  void Search() {
    const LineSearch search(searchText_, wholeWord_ != 0, matchCase_ != 0);
    const int count = int(lines_.size());
    if (search.Empty() || count == 0)
      return; // nothing could ever match: the search ends at once
    const bool down = direction_ != QLatin1String("Up");
    int from = List().SelectedRow() + (down ? 1 : -1);
    for (;;) {
      if (down ? from <= count : from >= 1) {
        WaitCursor wait; // over the scan, not over the question that may follow
        if (const int row = search.Scan(lines_, from, down ? count : 1)) {
          List().SetSelectedRow(row);
          return;
        }
      }
      if (ShowStandardMessage1(29, down ? QStringLiteral("Down") : QStringLiteral("Up")) != BUTTON_YES)
        return;
      from = down ? 1 : count;
    }
  }

  // Prints every line of the list, 35 lines a page, without a preview; a print that cannot
  // keep its pages prints nothing and says why.
  void Print() {
    ReportStructure layout;
    layout.name = QString::fromLatin1(kind_.procedure).toUpper() + QStringLiteral("$ASC1:REPORT");
    layout.detailArea = QRect(1000, 2500, 6000, 6000);
    layout.detail.at = QRect(0, 0, 6000, 167);
    const QString *line = nullptr;
    layout.detail.Field([&line] { return line ? *line : QString(); }, QStringLiteral("s255"),
                        QRect(0, 0, 6000, 167), ListFont());
    Report report(std::move(layout));
    {
      WaitCursor wait;
      if (report.Open()) {
        for (const QString &each : lines_) {
          line = &each;
          report.Print();
        }
      }
    }
    report.Close();
    if (report.failed())
      ShowReportFailure(report);
  }

  const ViewerKind &kind_;
  Window window_;
  std::vector<QString> lines_;
  QString loadedName_;
  QString searchText_;
  int wholeWord_ = 0;
  int matchCase_ = 0;
  QString direction_ = QStringLiteral("Down");
  int response_ = 2;
};

void RunViewer(const ViewerKind &kind) {
  ProcedureScope scope;
  TextViewer viewer(kind);
  scope.response = viewer.Run();
}

const ViewerKind kWhatsNew{"WhatsNew", "whatsnew.txt", "What's New", "New in this Release", true};
const ViewerKind kReadMe{"ReadMe", "readme.txt", "Using Vornix", "Using...", true};
const ViewerKind kExportHelp{"ExportHelp", "Export.Txt", "Using Vornix", "Help About Exporting", false};
const ViewerKind kImportHelp{"ImportHelp", "Export.Txt", "Using Vornix", "Help About Exporting", false};

} // namespace

QString ViewerFilePath(const QString &name) {
  if (QFileInfo::exists(name))
    return name;
  const QString beside = ProgramFile(name);
  return QFileInfo::exists(beside) ? beside : name;
}

void WhatsNew() {
  RunViewer(kWhatsNew);
}

void ReadMe() {
  RunViewer(kReadMe);
}

void ExportHelp() {
  RunViewer(kExportHelp);
}

void ImportHelp() {
  RunViewer(kImportHelp);
}

} // namespace vx
