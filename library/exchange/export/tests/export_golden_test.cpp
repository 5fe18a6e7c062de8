// Each format of the export against its golden file, written from the fixture library.
// With UPDATE_GOLDEN=1 in the environment the golden files are written afresh instead.

#include "library/exchange/export/export_settings.h"
#include "support/export_fixture.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

QString GoldenPath(const QString &name) {
  return qEnvironmentVariable("TEST_SOURCE_DIR") + QStringLiteral("/../export/tests/golden/") + name;
}

void ExpectGolden(const QString &golden, const QString &actual) {
  if (qEnvironmentVariableIsSet("UPDATE_GOLDEN")) {
    QFile file(GoldenPath(golden));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(actual.toUtf8());
    return;
  }
  QFile file(GoldenPath(golden));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << GoldenPath(golden).toStdString();
  const QStringList expected = QString::fromUtf8(file.readAll()).split(u'\n');
  const QStringList lines = actual.split(u'\n');
  for (qsizetype i = 0; i < std::min(expected.size(), lines.size()); ++i)
    ASSERT_EQ(lines[i].toStdString(), expected[i].toStdString()) << golden.toStdString() << " line " << i + 1;
  EXPECT_EQ(lines.size(), expected.size()) << golden.toStdString();
}

class ExportGoldenTest : public LibraryTest {
protected:
  ExportGoldenTest() {
    TakeAll();
    FillExportFixture();
  }
};

TEST_F(ExportGoldenTest, SingleFileFormats) {
  const struct {
    const char *type, *name, *golden;
  } formats[] = {{"HTML - Simple", "sites.htm", "simple.htm"},
                 {"HTML - Table", "table.htm", "table.htm"},
                 {"ASCII", "sites.txt", "ascii.txt"},
                 {"Comma-Delimited", "sites.csv", "comma-delimited.txt"}};
  for (const auto &format : formats) {
    ASSERT_EQ(RunExport(AllOf(format.type, format.name)), 1) << format.type;
    ExpectGolden(format.golden, ReadOutput(format.name));
  }
  EXPECT_EQ(OutputFiles(), "sites.csv sites.htm sites.txt table.htm");
  EXPECT_TRUE(shown_.empty());
}

// The frame set with its side files, one after another: the contents, first page and banner
// beside the base, the pages of the second to tenth categories numbered 1 to 9 under the
// full base, and the eleventh and twelfth under the base less its last character.
TEST_F(ExportGoldenTest, FrameSetAndItsSideFiles) {
  ASSERT_EQ(RunExport(AllOf("HTML - Frame", "sites.htm")), 1);
  EXPECT_EQ(OutputFiles(),
            "sites.htm sites10.htm sites11.htm sites_1.htm sites_2.htm sites_3.htm sites_4.htm sites_5.htm "
            "sites_6.htm sites_7.htm sites_8.htm sites_9.htm sites_b.htm sites_c.htm sites_m.htm");
  QString all;
  for (const QString &name : QString::fromStdString(OutputFiles()).split(u' '))
    all += QStringLiteral("==> %1 <==\n").arg(name) + ReadOutput(name);
  ExpectGolden(QStringLiteral("frame.txt"), all);
}

} // namespace
} // namespace vx::test
