#include "proxy/platform/program_launch.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace ql {
namespace {

QByteArray WaitForFile(const QString &path) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 10000) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
      const QByteArray text = file.readAll();
      if (text.endsWith('\n'))
        return text;
    }
    QThread::msleep(20);
  }
  return {};
}

TEST(ProgramLaunch, StartsTheProgramWithItsWordsAndNoShell) {
  QTemporaryDir dir;
  const QString script = dir.filePath("my browser/show args");
  QDir().mkpath(dir.filePath("my browser"));
  QFile file(script);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > \"$OUT.tmp\"\n"
             "pwd >> \"$OUT.tmp\"\nmv \"$OUT.tmp\" \"$OUT\"\n");
  file.close();
  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  const QString out = dir.filePath("args.txt");
  qputenv("OUT", out.toLocal8Bit());
  const QString cwd = QDir::currentPath();
  QDir::setCurrent(dir.path());

  const QString quoted = "\"" + QString(script).replace('/', '\\') + "\"";
  EXPECT_EQ(LaunchProgram(quoted + " http://quenlark.invalid/bookmarks \"two words\" $HOME;x"),
            kLaunchStarted);
  EXPECT_EQ(WaitForFile(out), "[http://quenlark.invalid/bookmarks][two words][$HOME;x]" +
                                  QDir::currentPath().toLocal8Bit() + "\n");
  QDir::setCurrent(cwd);

  EXPECT_EQ(LaunchProgram(""), kLaunchFileNotFound);
  EXPECT_EQ(LaunchProgram(dir.filePath("missing")), kLaunchFileNotFound);
  EXPECT_EQ(LaunchProgram(dir.filePath("no/such/dir/prog")), kLaunchPathNotFound);
  EXPECT_EQ(LaunchProgram(dir.filePath("args.txt")), kLaunchBadFormat);
  EXPECT_EQ(LaunchProgram("no-such-program-anywhere-on-path --flag"), kLaunchFileNotFound);
}

} // namespace
} // namespace ql
