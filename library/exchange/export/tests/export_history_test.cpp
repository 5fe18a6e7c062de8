// The Export window's stored state: the history of exported names and the settings.

#include "library/core/dictionary.h"
#include "library/exchange/export/export_history.h"
#include "library/exchange/export/export_settings.h"
#include "library/runtime/data/error_state.h"
#include "support/library_fixture.h"
#include "support/print_qstring.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

class ExportHistoryTest : public LibraryTest {
protected:
  ExportHistoryTest() {
    TakeAll();
    qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
  }
  ~ExportHistoryTest() override { qunsetenv("XDG_CONFIG_HOME"); }

  void AddEntry(const QString &type, const QString &name, int date) {
    CLEAR(History());
    HIS().Type = type;
    HIS().FieldContents = name;
    HIS().Date = date;
    HIS().Time = 1;
    ADD(History());
    ASSERT_EQ(ERRORCODE(), 0);
  }
  // The entries as "Type name", newest first within each type.
  QStringList Entries() {
    QStringList out;
    SET(History().KeyType);
    for (NEXT(History()); ERRORCODE() == 0; NEXT(History()))
      out << HIS().Type.clipped() + " " + HIS().FieldContents.clipped();
    return out;
  }

  QTemporaryDir config_;
};

TEST_F(ExportHistoryTest, TenEntriesLoseTheOldestExportBeforeTheNewOneIsAdded) {
  for (int i = 1; i <= 5; ++i) {
    AddEntry("Export", QStringLiteral("e%1.htm").arg(i), 1000 + i);
    AddEntry("Import", QStringLiteral("i%1.htm").arg(i), 1000 + i);
  }
  AddExportHistory("new.htm");
  EXPECT_EQ(Entries(), QStringList({"Export new.htm", "Export e5.htm", "Export e4.htm", "Export e3.htm",
                                    "Export e2.htm", "Import i5.htm", "Import i4.htm", "Import i3.htm",
                                    "Import i2.htm", "Import i1.htm"}));
  EXPECT_TRUE(shown_.empty());
}

TEST_F(ExportHistoryTest, ImportEntriesAreNeverRemoved) {
  for (int i = 1; i <= 10; ++i)
    AddEntry("Import", QStringLiteral("i%1.htm").arg(i), 1000 + i);
  AddExportHistory("sites.htm");
  EXPECT_EQ(Entries().size(), 11);
  EXPECT_EQ(Entries().first(), "Export sites.htm");
}

TEST_F(ExportHistoryTest, SettingsGoToTheIniFileAndBack) {
  ExportSettings none;
  ReadExportSettings(none);
  EXPECT_EQ(none.Name, "");
  EXPECT_EQ(none.Order, "Location");
  EXPECT_EQ(none.SiteInfo, 0);

  const ExportSettings chosen{"/home/Ann/Sites.htm", "HTML - Frame", "Selected", "News", 1, 0, "Description"};
  WriteExportSettings(chosen);
  ExportSettings read;
  ReadExportSettings(read);
  EXPECT_EQ(read.Name, chosen.Name);
  EXPECT_EQ(read.Type, chosen.Type);
  EXPECT_EQ(read.Categories, chosen.Categories);
  EXPECT_EQ(read.Category, chosen.Category);
  EXPECT_EQ(read.SiteInfo, 1);
  EXPECT_EQ(read.Ratings, 0);
  EXPECT_EQ(read.Order, chosen.Order);
}

} // namespace
} // namespace vx::test
