#include "proxy/platform/top_level_windows.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ql {
namespace {

// The count the program's start makes: windows titled "quenlark" of class "tapplication",
// compared lower-cased.
int CountInstances(TTopLevelWindows &windows) {
  int count = 0;
  windows.EnumWindows([&](const TTopLevelWindow &window) {
    if (window.title.toLower() == "quenlark" && window.className.toLower() == "tapplication")
      ++count;
    return true;
  });
  return count;
}

TEST(TopLevelWindows, LiveApplicationWindowsCountAndDeadOrForeignOnesDoNot) {
  QTemporaryDir dir;
  const QString folder = dir.filePath("windows");
  TTopLevelWindows first(folder);
  ASSERT_TRUE(first.Lock());
  ASSERT_TRUE(first.Register({"QUENLARK", "TAPPLICATION"}));
  EXPECT_EQ(CountInstances(first), 1);
  first.Unlock();

  TTopLevelWindows others(folder);
  ASSERT_TRUE(others.Register({"Quenlark", "TControlForm"}));
  ASSERT_TRUE(others.Register({"quenlark2", "TApplication"}));
  {
    TTopLevelWindows second(folder);
    ASSERT_TRUE(second.Register({"quenlark", "TApplication"}));
    EXPECT_EQ(CountInstances(first), 2);
  }
  EXPECT_EQ(CountInstances(first), 1);

  // An entry that nobody holds locked was left by a process that ended: it never counts and
  // the enumeration clears it away. A damaged entry is skipped.
  const QString dead = folder + "/99999-0.window";
  QFile file(dead);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("quenlark\nTApplication\n");
  file.close();
  EXPECT_EQ(CountInstances(first), 1);
  EXPECT_FALSE(QFile::exists(dead));

  int seen = 0;
  first.EnumWindows([&](const TTopLevelWindow &) { return ++seen < 2; });
  EXPECT_EQ(seen, 2);
}

TEST(TopLevelWindows, EachRuntimeDirectoryHasItsOwnRegister) {
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  qputenv("XDG_RUNTIME_DIR", "/tmp/a-wide-open-folder");
  EXPECT_EQ(TTopLevelWindows::RegisterDirectory(), "/tmp/a-wide-open-folder/quenlark/windows");
  qputenv("XDG_RUNTIME_DIR", saved);
}

} // namespace
} // namespace ql
