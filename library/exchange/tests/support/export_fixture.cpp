#include "support/export_fixture.h"

#include "library/core/dictionary.h"
#include "library/exchange/export/export_process.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/language/date_time.h"
#include "library/runtime/language/format.h"

#include <QDir>
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

void Snippet(const QString &category, const QString &type, const QString &html) {
  CLEAR(CatHTML());
  HTM().Category = category;
  HTM().TypeOfHTML = type;
  HTM().HTMLtoAdd = html;
  ADD(CatHTML());
  ASSERT_EQ(ERRORCODE(), 0) << category.toStdString() << " " << type.toStdString();
}

} // namespace

const QList<FixtureSite> &FixtureSites() {
  static const QList<FixtureSite> sites = [] {
    QList<FixtureSite> list = {{"", "http://loose.example/", "Filed nowhere", "", 0}};
    for (int i = 1; i <= 9; ++i)
      list.append({QStringLiteral("Cat 0%1").arg(i), QStringLiteral("http://cat%1.example/").arg(i),
                   QStringLiteral("Site %1").arg(i), "", i});
    list.append(
        {"News", "http://news.example/a?x=1&y=\"2\"&z=<3>", "He said \"hi\"", "Line one\nLine two", 5});
    list.append({"News", "http://news.example/b", "", "", 0});
    list.append({"news", "http://news.example/c", "Wire, \"quoted\"", "", -2});
    list.append({"Tools", "http://tools.example/", "Tools & Dies", QString(700, u'i'), 3});
    return list;
  }();
  return sites;
}

void FillExportFixture() {
  for (const FixtureSite &site : FixtureSites()) {
    CLEAR(VORNIX());
    URL().Location = site.location;
    URL().Description = site.description;
    URL().Category = site.category;
    URL().Rating = site.rating;
    URL().SiteInfo = site.siteInfo;
    ADD(VORNIX());
    ASSERT_EQ(ERRORCODE(), 0) << site.location.toStdString();
  }
  Snippet("News", "Replace Title", "<i>Daily News</i>");
  Snippet("News", "Before Category", "<!-- before News -->");
  Snippet("News", "Before Category Title", "<!-- before News title -->");
  Snippet("News", "After Category Title", "<p>Papers and wires</p>");
  Snippet("News", "After Category", "<!-- after News -->");
  Snippet("Tools", "Before Category", "<p>" + QString(600, u't') + "</p>");
  Snippet("Tools", "After Category", "<!-- after Tools -->");
  Snippet("_Before All", "Replace Title", "My Links");
  Snippet("_Before All", "Before Category", "<p>Welcome</p>");
  Snippet("_After All", "After Category", "<p>Goodbye</p>");
  Snippet("_After All", "Replace Title", "<p>The end</p>");
}

ExportSettings AllOf(const QString &type, const QString &name) {
  ExportSettings settings;
  settings.Name = name;
  settings.Type = type;
  settings.Categories = QStringLiteral("All");
  settings.SiteInfo = 1;
  settings.Ratings = 1;
  settings.Order = QStringLiteral("Location");
  return settings;
}

int RunExport(const ExportSettings &settings, BatchProgress *progress) {
  SilentProgress silent;
  ExportProcess process(settings, progress ? *progress : silent);
  return RunToEnd(process);
}

QString ReadOutput(const QString &name) {
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly))
    return QStringLiteral("(missing)");
  QString text = QString::fromUtf8(file.readAll());
  text.replace(FORMAT(TODAY(), QStringLiteral("d4")), QStringLiteral("{date}"));
  return text;
}

std::string OutputFiles() {
  QStringList names = QDir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
  names.removeIf([](const QString &name) {
    return name.endsWith(QLatin1String(".KYF")) || name.endsWith(QLatin1String(".TXN"));
  });
  return names.join(u' ').toStdString();
}

} // namespace vx::test
