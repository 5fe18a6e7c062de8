#include "library/reports/print_report.h"

#include "library/core/dictionary.h"
#include "library/core/file_use.h"
#include "library/core/globals.h"
#include "library/core/progress_window.h"
#include "library/core/standard_messages.h"
#include "library/reports/report_failure.h"
#include "library/reports/report_layouts.h"
#include "library/reports/report_preview.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_view.h"
#include "library/runtime/report/page_queue.h"
#include "library/runtime/report/report.h"

namespace vx {

namespace {

constexpr int kRecordsPerBatch = 25;
constexpr int kNoMoreRecords = 33;

// What sets one report apart from the others.
struct ReportRun {
  DataFile &file;
  const Key &key;
  QString label; // names the file in message 35
  ReportStructure layout;
};

// One run of a report, as its procedure's local values and routines.
class ReportProcedure {
public:
  explicit ReportProcedure(ReportRun run) : run_(std::move(run)), report_(run_.layout), view_(run_.file) {}

  int Run() {
    response_ = 2;
    FileUse use(run_.file);
    toProcess_ = RECORDS(run_.file);
    progress_.Open(QStringLiteral("Generating Report"), QString());
    SEND(run_.file, QStringLiteral("QUICKSCAN=on"));
    Window &window = progress_.window();
    while (window.Accept()) {
      const Event &event = window.CurrentEvent();
      switch (event.kind) {
      case EventKind::OpenWindow:
        OpenWindow();
        break;
      case EventKind::Timer:
        if (report_.IsOpen() && !ended_)
          Batch();
        break;
      case EventKind::Accepted:
        if (event.control == ProgressWindow::kCancel) {
          response_ = 2;
          End();
        }
        break;
      default:
        break;
      }
    }
    SEND(run_.file, QStringLiteral("QUICKSCAN=off"));
    // The progress window goes before the preview opens, rather than staying behind it.
    progress_.Close();
    if (response_ == 1) {
      report_.EndPage();
      if (report_.failed())
        ShowFailure();
      else
        ReportPreview(queue_);
      report_.SetPrintPreviewed(!report_.failed() && GlobalResponse == 1);
    }
    report_.Close();
    queue_.Free();
    CLOSE(view_);
    return response_;
  }

private:
  void OpenWindow() {
    view_.setOrder(run_.key);
    view_.clearFilters();
    OPEN(view_);
    if (ERRORCODE())
      ShowStandardMessage0(36);
    SET(view_);
    Next();
    CheckDone();
    if (response_ != 2 && report_.Open()) {
      report_.SetPreviewQueue(&queue_);
      return;
    }
    if (report_.failed())
      ShowFailure();
    response_ = 2;
    End();
  }

  // A report that could not keep its pages ends here, with no preview and no printing.
  void ShowFailure() {
    response_ = 2;
    ShowReportFailure(report_);
  }

  // One batch: at least 25 records printed, more while the timer event is young.
  void Batch() {
    progress_.StartBatch(kRecordsPerBatch);
    for (int printed = 0; progress_.BatchGoesOn(printed); ++printed) {
      report_.Print();
      if (report_.failed()) {
        ShowFailure();
        End();
        break;
      }
      Next();
      CheckDone();
      if (done_) {
        response_ = 1;
        End();
        break;
      }
      response_ = 2;
    }
  }

  void Next() {
    NEXT(view_);
    if (const int error = ERRORCODE()) {
      if (error != kNoMoreRecords)
        ShowStandardMessage1(35, run_.label);
      response_ = 2;
      return;
    }
    response_ = 1;
    ++read_;
    if (progress_.Shown() < 100) {
      const int percent = ProgressWindow::PercentOf(read_, toProcess_);
      progress_.Show(percent, ProgressWindow::PercentText(percent));
    }
  }

  void CheckDone() { done_ = response_ == 2; }

  void End() {
    ended_ = true;
    progress_.window().Post(EventKind::CloseWindow);
  }

  ReportRun run_;
  Report report_;
  View view_;
  ProgressWindow progress_;
  PageQueue queue_;
  int response_ = 0;
  bool done_ = false;
  bool ended_ = false;
  qint64 toProcess_ = 0;
  qint64 read_ = 0;
};

void RunReport(ReportRun run) {
  ProcedureScope scope;
  ReportProcedure procedure(std::move(run));
  scope.response = procedure.Run();
}

void SiteReport(const Key &key, const QString &name, const QString &title, SiteLayout layout) {
  RunReport(ReportRun{VORNIX(), key, QStringLiteral("VORNIX"), SiteReportLayout(name, title, layout)});
}

} // namespace

void PrintURLByLocation() {
  SiteReport(VORNIX().K_Location, QStringLiteral("PRINTURL:K_LOCATION$REPORT"),
             QStringLiteral("URLs by Location"), SiteLayout::LocationFirst);
}

void PrintURLByDescription() {
  SiteReport(VORNIX().K_Description, QStringLiteral("PRINTURL:K_DESCRIPTION$REPORT"),
             QStringLiteral("URLs by Description"), SiteLayout::DescriptionFirst);
}

void PrintURLByCategory() {
  SiteReport(VORNIX().K_Category, QStringLiteral("PRINTURL:K_CATEGORY$REPORT"),
             QStringLiteral("URLs by Category"), SiteLayout::LocationFirst);
}

void PrintURLByRating() {
  SiteReport(VORNIX().K_Rating, QStringLiteral("PRINTURL:K_RATING$REPORT"), QStringLiteral("URLs by Rating"),
             SiteLayout::LocationFirst);
}

void PrintURLByKeyword() {
  SiteReport(VORNIX().K_Keyword, QStringLiteral("PRINTURL:K_KEYWORD$REPORT"),
             QStringLiteral("URLs by Keyword"), SiteLayout::LocationFirst);
}

void PrintCATByCategory() {
  RunReport(ReportRun{Categories(), Categories().K_Category, QStringLiteral("Categories"),
                      CategoryReportLayout(QStringLiteral("PRINTCAT:K_CATEGORY$REPORT"))});
}

} // namespace vx
