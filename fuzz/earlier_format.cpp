// Reads arbitrary bytes as a data file of the earlier format and converts it as the
// library's start does: the first byte picks the old site, category or snippet file (or,
// fourth, another library's site file, which the merge reads the same way). A file that
// opens is converted (merged) to its end. Every outcome must be a conversion, a message or
// a refusal, never a crash or a hang; the percentages shown never go back or past 100; a
// conversion that went through has put at least one and at most every old record into the
// new file and deleted the old one.
#include "library/core/dictionary.h"
#include "library/exchange/convert/upgrade_process.h"
#include "library/exchange/merge/merge_process.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/halt.h"
#include "library/runtime/windows/message_box.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

// Records what the process shows; checks that the percentage only grows, up to 100.
class Progress : public vx::BatchProgress {
public:
  void ShowTexts(const QString &, const QString &) override {}
  void ShowPercent(int percent, const QString &) override {
    if (percent < last_ || percent > 100)
      std::abort();
    last_ = percent;
  }
  bool CancelPressed() const override { return false; }

private:
  int last_ = 0;
};

void CloseAll() {
  for (vx::DataFile *file : std::initializer_list<vx::DataFile *>{
           &vx::VORNIX(), &vx::Categories(), &vx::CatHTML(), &vx::OldSites(), &vx::OldCategories(),
           &vx::OldCatHTML(), &vx::MergeSource()}) {
    vx::CLOSE(*file);
    file->useCount = 0;
  }
}

qint64 RecordsOf(vx::KeyedFile &file) {
  vx::OPEN(file);
  if (vx::ERRORCODE() != 0)
    return -1;
  const qint64 records = vx::RECORDS(file);
  vx::CLOSE(file);
  return records;
}

void Run(int kind) {
  using Kind = vx::UpgradeProcess::Kind;
  static const Kind kinds[] = {Kind::Sites, Kind::Categories, Kind::CatHtml};
  vx::DataFile *const inputs[] = {&vx::OldSites(), &vx::OldCategories(), &vx::OldCatHTML(),
                                  &vx::MergeSource()};
  vx::DataFile *const outputs[] = {&vx::VORNIX(), &vx::Categories(), &vx::CatHTML(), &vx::VORNIX()};
  vx::DataFile &input = *inputs[kind];
  vx::DataFile &output = *outputs[kind];
  const qint64 records = RecordsOf(input); // the start's test whether the old file is there
  if (records < 0)
    return;
  Progress progress;
  bool wentThrough = false;
  try {
    std::unique_ptr<vx::BatchProcess> process;
    if (kind == 3)
      process = std::make_unique<vx::MergeProcess>(input.name(), progress);
    else
      process = std::make_unique<vx::UpgradeProcess>(kinds[kind], progress, &wentThrough);
    const int response = vx::RunToEnd(*process);
    wentThrough = wentThrough || response == 1;
  } catch (const vx::HaltRequest &) {
    return;
  }
  if (!wentThrough || records == 0)
    return;
  const qint64 written = RecordsOf(output);
  if (written < 1 || written > records || (kind != 3 && QFile::exists(input.name())))
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0)
    return 0;
  static const bool quiet = [] {
    vx::SetMessageHandler([](const vx::MessageRequest &request) {
      return request.defaultButton ? request.defaultButton : int(vx::BUTTON_OK);
    });
    return true;
  }();
  Q_UNUSED(quiet);
  QTemporaryDir dir;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());
  const int kind = data[0] % 4;
  static const char *const names[] = {"VORNIX.KYF", "CATEGORI.KYF", "CATHTML.KYF", "URL_X.KYF"};
  vx::MergeSource().setName(QString::fromLatin1(names[3]));
  QFile file(QString::fromLatin1(names[kind]));
  if (file.open(QIODevice::WriteOnly)) {
    file.write(reinterpret_cast<const char *>(data + 1), qint64(size - 1));
    file.close();
    Run(kind);
  }
  CloseAll();
  QDir::setCurrent(previous);
  return 0;
}
