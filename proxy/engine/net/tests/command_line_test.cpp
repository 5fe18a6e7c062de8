#include "proxy/engine/net/command_line.h"
#include "proxy/engine/net/engine_log.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

struct Outcome {
  QString directory;
  bool autoBrowse;
};

Outcome Read(const QStringList &parameters) {
  Outcome out{QStringLiteral("/old/"), false};
  ReadCommandLine(parameters, out.directory, out.autoBrowse);
  return out;
}

TEST(CommandLineTest, DataDirectorySwitch) {
  EXPECT_EQ(Read({"/C:D:\\Data"}).directory, "D:\\Data\\");
  EXPECT_EQ(Read({"/c:  D:\\Data\\"}).directory, "D:\\Data\\");
  EXPECT_EQ(Read({"/c:/home/alice/cache/"}).directory, "/home/alice/cache/");
  EXPECT_EQ(Read({"/c:/tmp/x"}).directory, "/tmp/x\\");
  EXPECT_EQ(Read({"/c:"}).directory, "/old/");
  EXPECT_EQ(Read({"/c:   "}).directory, "/old/");
  // The last switch wins.
  EXPECT_EQ(Read({"/c:/one/", "/c:/two/"}).directory, "/two/");
}

TEST(CommandLineTest, AutobrowseSwitchIsNotFoundInsideADataDirectory) {
  EXPECT_TRUE(Read({"/a"}).autoBrowse);
  EXPECT_TRUE(Read({"/A"}).autoBrowse);
  EXPECT_TRUE(Read({"x/auto"}).autoBrowse);
  EXPECT_FALSE(Read({"/c:/home/alice/cache/"}).autoBrowse);
  EXPECT_FALSE(Read({"/C:/data/Archive"}).autoBrowse);
  EXPECT_FALSE(Read({"-platform", "offscreen"}).autoBrowse);

  const Outcome both = Read({"/c:/home/alice/", "/a"});
  EXPECT_TRUE(both.autoBrowse);
  EXPECT_EQ(both.directory, "/home/alice/");
}

TEST(EngineLogTest, EmptiesWhenMoreThanAHundredLines) {
  TEngineLog log;
  QStringList announced;
  QObject::connect(&log, &TEngineLog::lineAdded, [&](const QString &line) { announced << line; });
  for (int i = 0; i < 100; ++i) {
    log.Add(QString::number(i));
  }
  EXPECT_EQ(log.Lines().size(), 100);
  log.Add(QStringLiteral("overflow"));
  EXPECT_TRUE(log.Lines().isEmpty());
  log.Add(QStringLiteral("next"));
  EXPECT_EQ(log.Lines(), QStringList{"next"});
  EXPECT_EQ(announced.size(), 102);
}

} // namespace
} // namespace ql
