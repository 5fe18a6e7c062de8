#include "library/exchange/import/import_process.h"

#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/open_data_file.h"
#include "library/core/standard_messages.h"
#include "library/exchange/import/ask_category.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/transaction.h"
#include "library/runtime/language/format.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/halt.h"
#include "library/runtime/windows/message_box.h"

#include <QElapsedTimer>
#include <QFile>

namespace vx {

namespace {

// How much of the file's start is looked at for the NUL bytes that only binary files hold.
constexpr qint64 kTextCheckBytes = 4096;

// The run-time's text of the last error, the driver's own for code 90.
QString LastErrorText() {
  return ERRORCODE() == 90 ? FILEERROR() : ERROR();
}

// Whether the start of the file `name` holds a NUL byte, as no text file does.
bool LooksBinary(const QString &name) {
  QFile file(QString(name).trimmed().replace(u'\\', u'/'));
  return file.open(QIODevice::ReadOnly) && file.read(kTextCheckBytes).contains('\0');
}

// A file that gives the import nothing to read says so, naming the file and why.
void ShowNothingToImport(const QString &why) {
  MESSAGE(why, QStringLiteral("Nothing to Import"), MessageIcon::Exclamation, BUTTON_OK);
}

} // namespace

ImportProcess::ImportProcess(const ImportSettings &settings, BatchProgress &progress)
    : settings_(settings), progress_(progress), categoriesFile_(Categories()), sitesFile_(VORNIX()),
      input_(CLIP(settings.Name), kLongestLine), scanner_(ImportScanner::RuleOf(settings.Type)),
      method_(settings.Categories.startsWith(u'M')   ? Method::Guess
              : settings.Categories.startsWith(u'A') ? Method::Ask
                                                     : Method::Selected) {
  ExchangeFileName = CLIP(settings_.Name);
  progress_.ShowTexts(QStringLiteral("Processing Records"), QStringLiteral("Importing"));
  progress_.ShowPercent(0, QStringLiteral("0% Completed"));
}

// Finish has not run (the program ends): what the batch added stays.
ImportProcess::~ImportProcess() {
  if (!inBatch_)
    return;
  COMMIT();
  if (ERRORCODE() != 0)
    ROLLBACK();
}

void ImportProcess::Start() {
  if (ImportScanner::RuleOf(settings_.Type) == ImportScanner::Rule::None) {
    state_ = State::Completed; // a type of no known kind imports nothing
    return;
  }
  if (!OpenUserFile(input_, LineFile::Access::ReadOnly, false)) {
    state_ = State::Ended;
    return;
  }
  total_ = input_.BYTES();
  if (LooksBinary(input_.Name())) {
    state_ = State::Ended;
    ShowNothingToImport(
        QStringLiteral("The file %1 is not a text file: it holds binary data.").arg(input_.Name()));
    return;
  }
  state_ = State::Reading;
}

bool ImportProcess::Step() {
  if (state_ == State::Starting) {
    Start();
    return state_ == State::Reading;
  }
  if (state_ != State::Reading)
    return false;
  if (progress_.CancelPressed()) {
    state_ = State::Ended;
    return false;
  }
  categories_.Forget();
  asked_ = false;
  QElapsedTimer slice;
  slice.start();
  BeginBatch();
  while (state_ == State::Reading) {
    ReadLine();
    if (state_ != State::Reading)
      break;
    HandleLine();
    if (asked_ || slice.elapsed() >= sliceMs_)
      break;
  }
  if (state_ != State::Ended)
    AddHeldSite();
  EndBatch();
  if (readWhole_ && read_ == 0)
    ShowNothingToImport(QStringLiteral("The file %1 is empty.").arg(input_.Name()));
  else if (readWhole_ && sitesFound_ == 0)
    ShowNothingToImport(QStringLiteral("No web addresses were found in the file %1.").arg(input_.Name()));
  return state_ == State::Reading;
}

int ImportProcess::Finish() {
  EndBatch();
  if (input_.IsOpen())
    input_.CLOSE();
  const int response = state_ == State::Completed ? 1 : 2;
  state_ = State::Ended;
  return response;
}

void ImportProcess::ReadLine() {
  input_.NEXT();
  if (ERRORCODE() == 33) {
    state_ = State::Completed;
    readWhole_ = true;
    progress_.ShowPercent(100, QStringLiteral("Process Completed"));
    return;
  }
  if (ERRORCODE() != 0) {
    // The message reports the read's error, which ending the batch would clear.
    const ErrorState error{ERRORCODE(), ERRORFILE(), FILEERRORCODE(), FILEERROR()};
    EndBatch();
    SetError(error.code, error.file, error.driverCode, error.driverText);
    ShowStandardMessage1(35, input_.Name());
    state_ = State::Completed;
    return;
  }
  read_ += input_.BYTES();
  const int percent = total_ > 0 ? int(std::min<qint64>(100, read_ * 100 / total_)) : 100;
  if (percent != percent_) {
    percent_ = percent;
    progress_.ShowPercent(percent, FORMAT(percent, QStringLiteral("N3")) + QStringLiteral("% Completed"));
  }
}

void ImportProcess::HandleLine() {
  items_.clear();
  scanner_.Scan(input_.line, items_);
  // In a bookmark file a site waits for the next line, so that the <DD> line after it goes
  // in with the site instead of rewriting it. A question is asked at the site itself.
  const bool hold = scanner_.bookmarkFile() && method_ != Method::Ask;
  for (ImportItem &item : items_) {
    switch (item.kind) {
    case ImportItem::Kind::Heading:
      AddHeldSite();
      lastAdded_ = 0; // a <DD> line after a folder heading describes the folder
      break;
    case ImportItem::Kind::SiteInfo:
      if (held_) {
        held_->siteInfo = item.siteInfo;
        AddHeldSite();
        lastAdded_ = 0;
      } else {
        AddSiteInfo(item.siteInfo);
      }
      break;
    case ImportItem::Kind::Site:
      ++sitesFound_;
      AddHeldSite();
      if (hold)
        held_ = std::move(item);
      else
        AddSite(item);
      break;
    }
    if (state_ != State::Reading)
      return;
  }
}

void ImportProcess::AddHeldSite() {
  if (!held_)
    return;
  const ImportItem site = std::move(*held_);
  held_.reset();
  AddSite(site);
}

void ImportProcess::FillSite(const ImportItem &site) {
  CLEAR(VORNIX());
  URL().SiteInfo.clear();
  URL().Location = site.location;
  URL().Description = site.description;
  URL().SiteInfo = site.siteInfo;
  URL().Rating = site.rating;
}

void ImportProcess::AddSite(const ImportItem &site) {
  lastAdded_ = 0;
  QString category;
  if (!DetermineImportCategory(site, category))
    return;
  FillSite(site);
  URL().Category = category;
  SetKeywordFromScheme();
  ADD(VORNIX());
  if (ERRORCODE() == 0) {
    ++sitesAdded_;
    lastAdded_ = POINTER(VORNIX());
  } else if (ERRORCODE() == 40) {
    ++duplicates_;
  } else {
    Fail(LastErrorText() + QStringLiteral(" adding location"));
  }
}

void ImportProcess::AddSiteInfo(const QString &siteInfo) {
  if (lastAdded_ == 0)
    return;
  SiteFile &sites = VORNIX();
  const qint64 site = lastAdded_;
  lastAdded_ = 0; // one <DD> line a site
  if (POINTER(sites) != site) {
    GET(sites, site);
    if (ERRORCODE() != 0)
      return;
  }
  URL().SiteInfo = siteInfo;
  PUT(sites);
  if (ERRORCODE() != 0)
    Fail(LastErrorText() + QStringLiteral(" adding location"));
}

bool ImportProcess::DetermineImportCategory(const ImportItem &site, QString &category) {
  const QString guess = CategoryOrNew(site.guess);
  QString chosen;
  switch (method_) {
  case Method::Guess:
    chosen = guess;
    break;
  case Method::Ask:
    // A site that is stored already is skipped by the add: it is not asked about.
    if (Stored(site.location)) {
      ++duplicates_;
      return false;
    }
    chosen = AskForCategory(site, guess);
    if (state_ == State::Ended)
      return false;
    break;
  case Method::Selected:
    chosen = CategoryOrNew(settings_.Category);
    break;
  }
  if (categories_.Resolve(chosen, category))
    return true;
  Fail(LastErrorText() + QStringLiteral(" adding category"));
  return false;
}

bool ImportProcess::Stored(const QString &location) {
  CLEAR(VORNIX());
  URL().Location = location;
  GET(VORNIX().K_Location);
  return ERRORCODE() == 0;
}

QString ImportProcess::AskForCategory(const ImportItem &site, const QString &guess) {
  // The question waits for the user: the batch is committed first, so that no transaction
  // stays open while other windows run.
  EndBatch();
  asked_ = true;
  FillSite(site);
  CLEAR(Categories());
  CAT().Category = guess; // the list opens on the guess
  GlobalRequest = 4;
  AskCategory(guess);
  if (GlobalResponse == kAskEndImport) {
    state_ = State::Ended; // what was added before stays; this site is not added
    return {};
  }
  const bool picked = GlobalResponse == 1 && !CAT().Category.isBlank();
  const QString chosen = picked ? CAT().Category.clipped() : guess;
  if (state_ != State::Ended)
    BeginBatch();
  return chosen;
}

void ImportProcess::SetKeywordFromScheme() {
  const QString location = URL().Location.clipped();
  const qsizetype scheme = location.indexOf(QLatin1String("://"));
  if (scheme >= 0)
    URL().Keyword = location.left(scheme);
  else if (location.contains(QLatin1String("mailto:")))
    URL().Keyword = QStringLiteral("mailto:");
  else
    URL().Keyword = QStringLiteral("?");
}

void ImportProcess::BeginBatch() {
  if (inBatch_)
    return;
  // When the files cannot be taken for a transaction, each write commits by itself.
  LOGOUT(2, {&VORNIX(), &Categories()});
  inBatch_ = ERRORCODE() == 0;
  ClearError();
}

void ImportProcess::EndBatch() {
  if (!inBatch_)
    return;
  inBatch_ = false;
  QElapsedTimer commit;
  commit.start();
  COMMIT();
  // The next batch works three times as long as this commit took, within bounds: on a slow
  // disk fewer, longer batches keep the commits from outweighing the work.
  sliceMs_ = int(qBound(qint64(kSliceMs), 3 * commit.elapsed(), qint64(kLongestSliceMs)));
  if (ERRORCODE() == 0)
    return;
  const QString text = LastErrorText() + QStringLiteral(" adding location");
  ROLLBACK();
  state_ = State::Ended;
  STOP(text);
}

void ImportProcess::Fail(const QString &text) {
  EndBatch();
  if (state_ == State::Ended)
    return;
  STOP(text);
  BeginBatch();
}

} // namespace vx
