// A stop signal while the window thread hangs: the watchdog puts the browser's proxy setting
// back and the program ends by the signal all the same.
#include "proxy/engine/browser/browser_keys.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/startup/program_main.h"
#include "proxy/windows/stop_signals.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <optional>
#include <thread>
#include <unistd.h>

namespace ql {
namespace {

using namespace browser_keys;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
// Names the test's folder to the process the death test starts.
constexpr char kFolderVariable[] = "QUENLARK_STOP_SIGNALS_TEST_DIR";

// The folder that a death test shares with the process it starts: made in the test's own
// process, where dir holds it until the test ends; in the dying process dir stays empty.
QString SharedFolder(std::optional<QTemporaryDir> &dir) {
  if (qEnvironmentVariableIsSet(kFolderVariable))
    return qEnvironmentVariable(kFolderVariable);
  dir.emplace();
  qputenv(kFolderVariable, QFile::encodeName(dir->path()));
  return dir->path();
}

TEST(StopSignalsDeathTest, AHungWindowThreadStillEndsTheProgramWithTheBrowserPutBack) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::optional<QTemporaryDir> dir;
  const QString folder = SharedFolder(dir);
  if (dir) { // the browser's settings that the dying process puts back
    Registry registry(folder + "/registry.reg");
    registry.WriteString(kUser, kSavedProxyKey, kHttpProxy, "proxy.example");
    registry.WriteDword(kUser, kSavedProxyKey, kHttpProxyPort, 3128);
    registry.WriteDword(kUser, kSavedProxyKey, kProxyType, 1);
    registry.WriteString(kUser, kNetscapeProxyKey, kHttpProxy, "127.0.0.1");
    registry.WriteDword(kUser, kNetscapeProxyKey, kHttpProxyPort, 1234);
  }
  const QString path = folder + "/registry.reg";

  EXPECT_EXIT(
      {
        TStopSignals stop([path] { RestoreBrowserWithoutWindows(path); }, std::chrono::milliseconds(300));
        ::kill(::getpid(), SIGTERM);
        // The window thread never comes back to its event loop.
        std::this_thread::sleep_for(std::chrono::seconds(30));
        std::_Exit(3);
      },
      ::testing::KilledBySignal(SIGTERM), "");

  qunsetenv(kFolderVariable);
  const Registry after(path);
  EXPECT_EQ(after.ReadString(kUser, kNetscapeProxyKey, kHttpProxy), "proxy.example");
  EXPECT_EQ(after.ReadDword(kUser, kNetscapeProxyKey, kHttpProxyPort), 3128u);
  EXPECT_FALSE(after.KeyExists(kUser, kSavedProxyKey));
}

// Appends a line to the file, from any thread of the dying process.
void AppendLine(const QString &path, const char *line) {
  QFile file(path);
  if (file.open(QIODevice::Append))
    file.write(QByteArray(line) + '\n');
}

// A second stop signal while the window thread's exit restores the browser slowly: the watchdog
// gives up on the window thread, but it leaves the restore to it, waits for it to end and then
// ends the program.
TEST(StopSignalsDeathTest, ASecondSignalDuringASlowExitLeavesTheRestoreToTheWindowThread) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::optional<QTemporaryDir> dir;
  const QString log = SharedFolder(dir) + "/restores.txt";

  EXPECT_EXIT(
      {
        TStopSignals stop([log] { AppendLine(log, "watchdog"); }, std::chrono::milliseconds(500));
        stop.SetStopAction([&stop, log] {
          stop.ExitRestore().Run([log] {
            AppendLine(log, "window thread began");
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
            AppendLine(log, "window thread ended");
          });
        });
        std::thread([] {
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
          ::kill(::getpid(), SIGTERM);
        }).detach();
        ::kill(::getpid(), SIGTERM);
        stop.TakeUp(); // the orderly exit, slower than the watchdog's patience
        std::this_thread::sleep_for(std::chrono::seconds(30));
        std::_Exit(3);
      },
      ::testing::KilledBySignal(SIGTERM), "");

  qunsetenv(kFolderVariable);
  QFile file(log);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll().toStdString(), "window thread began\nwindow thread ended\n");
}

// The handler leaves errno as it found it, also when its writes fail because nobody reads the
// pipes.
TEST(StopSignalsDeathTest, TheHandlerLeavesErrnoAsItFoundIt) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        TStopSignals stop({}, std::chrono::hours(1));
        int changed = 0;
        for (int i = 0; i < 140000; ++i) {
          errno = EDOM;
          ::raise(SIGTERM);
          changed += errno != EDOM ? 1 : 0;
        }
        std::_Exit(changed == 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace ql
