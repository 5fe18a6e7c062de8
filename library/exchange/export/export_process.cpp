#include "library/exchange/export/export_process.h"

#include "library/core/dictionary.h"
#include "library/core/standard_messages.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/language/format.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/halt.h"
#include "library/runtime/windows/message_box.h"

namespace vx {

namespace {

// Message 30 for a main file that could not be created, with the error told as the import
// and the data files tell the same cause.
void ShowOpenFailure(const ExportOutputs &outputs, const QString &name) {
  SetFileSystemError(name, outputs.failureError());
  ShowStandardMessage1(30, name);
}

} // namespace

bool ExportFileCanBeCreated(const QString &name) {
  ExportOutputs probe(name);
  if (probe.OpenMain())
    return true;
  ShowOpenFailure(probe, name);
  return false;
}

ExportProcess::ExportProcess(const ExportSettings &settings, BatchProgress &progress)
    : settings_(settings), progress_(progress), catHtml_(CatHTML()), sites_(VORNIX()), view_(VORNIX()),
      outputs_(CLIP(settings_.Name)), writer_(settings_, outputs_) {
  total_ = RECORDS(VORNIX());
  progress_.ShowTexts(QStringLiteral("Processing Records"), QStringLiteral("Exporting"));
  progress_.ShowPercent(0, QStringLiteral("0% Completed"));
}

// Shows the first failure of the outputs, once; false when there is one.
bool ExportProcess::CheckOutputs() {
  if (!outputs_.failed())
    return true;
  if (state_ != State::Ended) {
    state_ = State::Ended;
    if (outputs_.failure() == ExportOutputs::Failure::Refused)
      MESSAGE(outputs_.failureText(), QStringLiteral("Export"), MessageIcon::Exclamation);
    else
      STOP(outputs_.failureText());
  }
  return false;
}

void ExportProcess::Start() {
  SiteFile &sites = VORNIX();
  view_.setOrder(CLIP(settings_.Order) == QLatin1String("Description") ? sites.K_Category
                                                                       : sites.K_CategoryLocation);
  if (CLIP(settings_.Categories) == QLatin1String("Selected")) {
    const QString category = settings_.Category;
    view_.setEquality(SiteFields::Category, [category] { return category; });
  }
  OPEN(view_);
  if (ERRORCODE() != 0) {
    ShowStandardMessage0(36);
    state_ = State::Ended;
    return;
  }
  SET(view_);
  if (!outputs_.OpenMain()) {
    state_ = State::Ended;
    ShowOpenFailure(outputs_, CLIP(settings_.Name));
    return;
  }
  state_ = State::Writing;
  writer_.WriteHeader();
  if (!writer_.writes())
    state_ = State::Completed;
  else
    ReadSite();
  CheckOutputs();
}

void ExportProcess::ReadSite() {
  NEXT(view_);
  if (ERRORCODE() == 33) {
    state_ = State::Completed;
    progress_.ShowPercent(100, QStringLiteral("Process Completed"));
    return;
  }
  if (ERRORCODE() != 0) {
    ShowStandardMessage1(35, VORNIX().label());
    state_ = State::Ended;
    return;
  }
  ++read_;
  const int percent = total_ > 0 ? int(std::min<qint64>(100, read_ * 100 / total_)) : 100;
  if (percent != percent_) {
    percent_ = percent;
    progress_.ShowPercent(percent, FORMAT(percent, QStringLiteral("N3")) + QStringLiteral("% Completed"));
  }
}

bool ExportProcess::Step() {
  if (state_ == State::Starting) {
    Start();
  } else if (state_ == State::Writing) {
    if (progress_.CancelPressed()) {
      state_ = State::Ended;
      return false;
    }
    for (int i = 0; i < kSitesPerBatch && state_ == State::Writing; ++i) {
      writer_.WriteRecord(URL());
      ReadSite();
    }
    CheckOutputs();
  }
  return state_ == State::Writing;
}

int ExportProcess::Finish() {
  int response = 2;
  if (state_ == State::Completed) {
    writer_.WriteFooter();
    if (outputs_.Commit())
      response = 1;
    CheckOutputs();
  }
  state_ = State::Ended;
  outputs_.Discard();
  return response;
}

} // namespace vx
