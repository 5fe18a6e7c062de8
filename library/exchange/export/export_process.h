#pragma once

#include "library/core/file_use.h"
#include "library/exchange/batch_process.h"
#include "library/exchange/export/export_outputs.h"
#include "library/exchange/export/export_settings.h"
#include "library/exchange/export/export_writer.h"
#include "library/runtime/data/keyed_view.h"

namespace vx {

// One export run: reads every site (or those of the one category chosen) in category order
// and writes them in the format the settings name, in batches of up to 25 sites a Step.
//
// Construction takes the site and CatHTML files through their use counts and shows the
// window's texts. The first Step writes the header and reads the first site; each later
// Step first asks whether Cancel was pressed, then writes up to 25 sites. Finish writes the
// footer and puts the files in place when every site was written; after a cancel, a read
// error or a failed write it leaves every file of the user's as it was before the run and
// no partial output. A main file that cannot be created (its folder is missing, say) shows
// message 30 with its name and ends the run; a failed write or a side file that cannot be
// created is shown as it happens ("Error adding to <file>: <error>", "Error opening <file>:
// <error>") and ends the run. The files are given back on destruction.
//
// Runs on the calling run-time thread, through its record buffers of the two files.
class ExportProcess : public BatchProcess {
public:
  static constexpr int kSitesPerBatch = 25;

  ExportProcess(const ExportSettings &settings, BatchProgress &progress);

  bool Step() override;
  int Finish() override;

private:
  enum class State { Starting, Writing, Completed, Ended };

  void Start();
  void ReadSite();
  bool CheckOutputs();

  ExportSettings settings_;
  BatchProgress &progress_;
  FileUse catHtml_;
  FileUse sites_;
  View view_;
  ExportOutputs outputs_;
  ExportWriter writer_;
  State state_ = State::Starting;
  qint64 total_ = 0;
  qint64 read_ = 0;
  int percent_ = 0;
};

// Whether the main file of an export to `name` can be created. When it cannot, shows
// message 30 with the name and the system's error and answers false; nothing is written.
bool ExportFileCanBeCreated(const QString &name);

} // namespace vx
