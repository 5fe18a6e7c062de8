#include "support/import_fixture.h"

#include "library/core/dictionary.h"
#include "library/exchange/import/import_process.h"
#include "library/runtime/data/error_state.h"

#include <QFile>
#include <gtest/gtest.h>

namespace vx::test {

namespace {

class SilentProgress : public BatchProgress {
public:
  void ShowTexts(const QString &, const QString &) override {}
  void ShowPercent(int, const QString &) override {}
  bool CancelPressed() const override { return false; }
};

} // namespace

void WriteInput(const QString &name, const QByteArray &bytes) {
  QFile file(name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
  file.write(bytes);
}

ImportSettings ImportOf(const QString &type, const QString &name, const QString &method,
                        const QString &category) {
  ImportSettings settings;
  settings.Name = name;
  settings.Type = type;
  settings.Categories = method;
  settings.Category = category;
  return settings;
}

int RunImport(const ImportSettings &settings, BatchProgress *progress) {
  SilentProgress silent;
  ImportProcess process(settings, progress ? *progress : silent);
  return RunToEnd(process);
}

QStringList SiteRows() {
  QStringList rows;
  SET(VORNIX());
  for (NEXT(VORNIX()); ERRORCODE() == 0; NEXT(VORNIX()))
    rows << QStringList{URL().Category.clipped(), URL().Location.clipped(),      URL().Description.clipped(),
                        URL().SiteInfo.clipped(), QString::number(URL().Rating), URL().Keyword.clipped()}
                .join(u'|');
  return rows;
}

QStringList CategoryRows() {
  QStringList rows;
  SET(Categories().K_Category);
  for (NEXT(Categories()); ERRORCODE() == 0; NEXT(Categories()))
    rows << CAT().Category.clipped() + u':' + CAT().Description.clipped();
  return rows;
}

} // namespace vx::test
