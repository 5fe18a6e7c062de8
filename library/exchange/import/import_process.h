#pragma once

#include "library/core/file_use.h"
#include "library/exchange/batch_process.h"
#include "library/exchange/import/import_categories.h"
#include "library/exchange/import/import_scan.h"
#include "library/exchange/import/import_settings.h"
#include "library/runtime/data/line_file.h"

#include <optional>
#include <vector>

namespace vx {

// One import run: reads the file the settings name, line by line, finds sites in it by the
// rule of the settings' type (import_scan.h) and adds each site that is not stored yet, with
// a category by the settings' method and its address's scheme as keyword.
//
// Methods: "Make Best Guess" files each site under the category guessed from the file (its
// folder heading, or the category field of a comma-delimited line); "Ask for Each URL" asks
// AskCategory for each site not stored yet, and takes the category picked there, or the guess
// when none was picked; the question's Cancel ends the run there, as Cancel of the progress
// window does; any other method files every site under the selected Category.
// A blank guess (links before any heading, a plain-text file) or a blank selected category
// is "New": no site is ever filed without a category. Categories are taken as stored,
// whatever their letter case; a missing one is added.
//
// Construction takes the site and Categories files through their use counts and shows the
// window's texts. The first Step opens the file: a file that is missing or cannot be read is
// shown (message 30), never created, and ends the run; so does a file whose start holds
// NUL bytes (not text), with a message that names the file and says so. Each later Step first asks whether
// Cancel was pressed, then handles whole lines for a time slice (kSliceMs to
// kLongestSliceMs, three times as long as the last commit took) in one transaction, and shows
// the percentage of the file read; a Step that asks a question ends after that line.
// Sites added stay when the run is cancelled or fails. A site or category that cannot be
// added is shown as it happens ("<error> adding location"); the user may go on. A read
// error of the file shows message 35 with the file's name and ends the run as completed. A
// file read to its end that was empty, or held not a single address, says so.
//
// Runs on the calling run-time thread, through its record buffers of the two files.
class ImportProcess : public BatchProcess {
public:
  static constexpr int kSliceMs = 100;
  static constexpr int kLongestSliceMs = 400;
  // A line longer than this many characters is read in pieces of this length.
  static constexpr int kLongestLine = 1 << 18;

  ImportProcess(const ImportSettings &settings, BatchProgress &progress);
  ~ImportProcess() override;

  bool Step() override;
  int Finish() override;

  int sitesAdded() const { return sitesAdded_; }
  int duplicatesSkipped() const { return duplicates_; }
  int categoriesAdded() const { return categories_.added(); }

private:
  enum class State { Starting, Reading, Completed, Ended };
  enum class Method { Guess, Ask, Selected };

  void Start();
  void ReadLine();
  void HandleLine();
  void AddSite(const ImportItem &site);
  void AddHeldSite();
  void AddSiteInfo(const QString &siteInfo);
  // The category the site is filed under; false when it could not be added.
  bool DetermineImportCategory(const ImportItem &site, QString &category);
  QString AskForCategory(const ImportItem &site, const QString &guess);
  bool Stored(const QString &location);
  void FillSite(const ImportItem &site);
  void SetKeywordFromScheme();

  void BeginBatch();
  void EndBatch();
  // Shows a failure that the user may go on from, outside the batch.
  void Fail(const QString &text);

  ImportSettings settings_;
  BatchProgress &progress_;
  FileUse categoriesFile_;
  FileUse sitesFile_;
  LineFile input_;
  ImportScanner scanner_;
  Method method_;
  ImportCategories categories_;
  std::vector<ImportItem> items_;
  std::optional<ImportItem> held_; // a bookmark file's site, until the line after it is read
  State state_ = State::Starting;
  bool inBatch_ = false;
  bool asked_ = false;   // a question was asked during this Step
  qint64 lastAdded_ = 0; // the record of the site added last, for a <DD> line after it
  qint64 total_ = 0;
  qint64 read_ = 0;
  int percent_ = 0;
  int sliceMs_ = kSliceMs;
  int sitesAdded_ = 0;
  int duplicates_ = 0;
  int sitesFound_ = 0; // addresses the scan found, stored already or not
  bool readWhole_ = false;
};

} // namespace vx
