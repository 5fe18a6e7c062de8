// The help that the Import and Export windows show tells the order of the fields of a
// comma-delimited file as the export writes them and the import reads them back.

#include "library/exchange/export/export_lines.h"
#include "support/print_qstring.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace vx {
namespace {

// The fields the help names for a comma-delimited file, in its order.
QStringList HelpFieldOrder() {
  QFile file(qEnvironmentVariable("TEST_SOURCE_DIR") + QStringLiteral("/../../reports/docs/Export.Txt"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  QString help = QString::fromUtf8(file.readAll()).simplified();
  const qsizetype entry = help.indexOf("Comma-delimited file");
  const qsizetype end = help.indexOf("in that order", entry);
  EXPECT_GT(entry, 0);
  EXPECT_GT(end, entry);
  const QString list = help.mid(entry, end - entry);
  QStringList fields = list.mid(list.lastIndexOf(':') + 1).split(QRegularExpression(",| and "));
  for (QString &field : fields)
    field = field.trimmed().toLower();
  fields.removeAll(QString());
  return fields;
}

TEST(ExportHelp, NamesTheCommaDelimitedFieldsInTheOrderTheyAreWritten) {
  SiteRecord site;
  site.Category = "category";
  site.Location = "location";
  site.Description = "description";
  site.SiteInfo = "site info";
  site.Rating = 7;
  QStringList written = CommaDelimitedLine(site, true, true).split(',');
  for (QString &field : written)
    field.remove('"');
  written.replaceInStrings("7", "rating");
  EXPECT_EQ(HelpFieldOrder(), written);
}

} // namespace
} // namespace vx
