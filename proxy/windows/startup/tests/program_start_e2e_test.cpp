// Starts the real program, as a user or the desktop would, with temporary XDG directories
// shared by the starts of one test: the single instance, "/r" and the end of a run.
#include "proxy/engine/browser/browser_keys.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "support/loopback_exchange.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <signal.h>

#include <memory>

namespace ql {
namespace {

using namespace browser_keys;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

class ProgramStartTest : public ::testing::Test {
protected:
  ProgramStartTest() {
    QDir().mkpath(dir_.filePath("runtime"));
    QFile::setPermissions(dir_.filePath("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    TRegIniFile settings(kQuenlarkSettingsKey, registry_);
    settings.WriteInteger("Network", "HTTPProxyPort", port_);
  }

  ~ProgramStartTest() override {
    for (auto &program : programs_) {
      if (program->state() != QProcess::NotRunning) {
        program->kill();
        program->waitForFinished();
      }
    }
  }

  QString RegistryPath() const { return dir_.filePath("config/quenlark/registry.reg"); }

  QProcess &Launch(const QStringList &parameters = {}) {
    auto &program = programs_.emplace_back(std::make_unique<QProcess>());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir_.filePath("config"));
    env.insert("XDG_DATA_HOME", dir_.filePath("share"));
    env.insert("XDG_RUNTIME_DIR", dir_.filePath("runtime"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program->setProcessEnvironment(env);
    program->setProcessChannelMode(QProcess::MergedChannels);
    program->start(qEnvironmentVariable("QUENLARK_BIN"), QStringList{"-platform", "offscreen"} + parameters);
    EXPECT_TRUE(program->waitForStarted(10000));
    return *program;
  }

  // Waits until the program listens on the test's port; false when it ended or took too long.
  bool WaitUntilListening(QProcess &program, QByteArray &output) {
    const QByteArray line = "port " + QByteArray::number(port_) + "\n";
    QElapsedTimer clock;
    clock.start();
    while (!output.contains(line) && clock.elapsed() < 20000) {
      if (program.state() == QProcess::NotRunning)
        return false;
      program.waitForReadyRead(200);
      output += program.readAll();
    }
    return output.contains(line);
  }

  static void Stop(QProcess &program) {
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
  }

  QTemporaryDir dir_;
  Registry registry_{RegistryPath()};
  int port_ = test::FreePort();
  std::vector<std::unique_ptr<QProcess>> programs_;
};

TEST_F(ProgramStartTest, ASecondStartWhileOneRunsEndsSilently) {
  QProcess &first = Launch();
  QByteArray output;
  ASSERT_TRUE(WaitUntilListening(first, output)) << output.toStdString();

  QProcess &second = Launch();
  ASSERT_TRUE(second.waitForFinished(20000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(second.readAll(), "");
  EXPECT_EQ(first.state(), QProcess::Running);
  Stop(first);

  // Once the first has ended, its entry no longer counts.
  QProcess &third = Launch();
  output.clear();
  EXPECT_TRUE(WaitUntilListening(third, output)) << output.toStdString();
  Stop(third);
}

TEST_F(ProgramStartTest, TwoStartsAtTheSameMomentLeaveExactlyOne) {
  QProcess &a = Launch();
  QProcess &b = Launch();
  QElapsedTimer clock;
  clock.start();
  while (a.state() == QProcess::Running && b.state() == QProcess::Running && clock.elapsed() < 20000) {
    a.waitForFinished(50);
    b.waitForFinished(50);
  }
  const bool aRuns = a.state() == QProcess::Running;
  const bool bRuns = b.state() == QProcess::Running;
  ASSERT_NE(aRuns, bRuns);
  QProcess &running = aRuns ? a : b;
  QProcess &ended = aRuns ? b : a;
  EXPECT_EQ(ended.exitCode(), 0);
  EXPECT_EQ(ended.readAll(), "");
  QByteArray output;
  EXPECT_TRUE(WaitUntilListening(running, output)) << output.toStdString();
  Stop(running);
}

TEST_F(ProgramStartTest, SlashRRestoresTheBrowserAndEndsWithoutAWindow) {
  registry_.WriteString(kUser, kSavedProxyKey, kHttpProxy, "proxy.example");
  registry_.WriteDword(kUser, kSavedProxyKey, kHttpProxyPort, 3128);
  registry_.WriteDword(kUser, kSavedProxyKey, kProxyType, 1);
  registry_.WriteString(kUser, kNetscapeProxyKey, kHttpProxy, "127.0.0.1");
  registry_.WriteDword(kUser, kNetscapeProxyKey, kHttpProxyPort, static_cast<quint32>(port_));

  // A parameter that only begins with "/r" is no such request: the program starts.
  QProcess &normal = Launch({"/rx"});
  QByteArray output;
  ASSERT_TRUE(WaitUntilListening(normal, output)) << output.toStdString();
  Stop(normal);

  QProcess &restore = Launch({"/R"});
  ASSERT_TRUE(restore.waitForFinished(20000));
  EXPECT_EQ(restore.exitCode(), 0);
  EXPECT_FALSE(restore.readAll().contains("Now listening"));
  const Registry after(RegistryPath());
  EXPECT_EQ(after.ReadString(kUser, kNetscapeProxyKey, kHttpProxy), "proxy.example");
  EXPECT_EQ(after.ReadDword(kUser, kNetscapeProxyKey, kHttpProxyPort), 3128u);
  EXPECT_FALSE(after.KeyExists(kUser, kSavedProxyKey));

  // With Internet Explorer chosen in the settings, its own values are the ones put back, and
  // Netscape's (as this test's registry object last wrote them) are left alone.
  registry_.WriteString(kUser, kQuenlarkSettingsKey + "\\General", "UseIExplore", "1");
  registry_.WriteString(kUser, kSavedProxyKey, kHttpProxy, "proxy.example");
  registry_.WriteDword(kUser, kSavedProxyKey, kHttpProxyPort, 3128);
  registry_.WriteDword(kUser, kSavedProxyKey, kProxyType, 1);
  registry_.WriteString(kUser, kIESettingsKey, kProxyServer, "127.0.0.1:1234");
  QProcess &lower = Launch({"/r"});
  ASSERT_TRUE(lower.waitForFinished(20000));
  const Registry ie(RegistryPath());
  EXPECT_EQ(ie.ReadString(kUser, kIESettingsKey, kProxyServer), "proxy.example:3128");
  EXPECT_EQ(ie.ReadString(kUser, kNetscapeProxyKey, kHttpProxy), "127.0.0.1");
}

TEST_F(ProgramStartTest, TheEndOfARunRestoresTheBrowserAndSavesTheBarsPlace) {
  registry_.WriteString(kUser, kSavedProxyKey, kHttpProxy, "none");
  registry_.WriteDword(kUser, kSavedProxyKey, kHttpProxyPort, 0);
  registry_.WriteDword(kUser, kSavedProxyKey, kProxyType, 0);
  registry_.WriteString(kUser, kNetscapeProxyKey, kHttpProxy, "127.0.0.1");
  registry_.WriteDword(kUser, kNetscapeProxyKey, kProxyType, 1);
  QProcess &program = Launch();
  QByteArray output;
  ASSERT_TRUE(WaitUntilListening(program, output)) << output.toStdString();
  Stop(program);

  Registry after(RegistryPath());
  EXPECT_FALSE(after.ValueExists(kUser, kNetscapeProxyKey, kHttpProxy));
  EXPECT_EQ(after.ReadDword(kUser, kNetscapeProxyKey, kProxyType), 0u);
  const TRegIniFile settings(kQuenlarkSettingsKey, after);
  EXPECT_NE(settings.ReadInteger("Control Form", "X", -1), -1);
  EXPECT_EQ(settings.ReadString("Control Form", "Expanded", ""), "0");
}

// SIGTERM and SIGINT end the program as Exit does: the windows open at the stop are recorded
// as open, and come back at the next start.
TEST_F(ProgramStartTest, AStopSignalRecordsTheOpenWindowsAsExitDoes) {
  for (const int signal : {SIGTERM, SIGINT}) {
    {
      Registry before(RegistryPath());
      TRegIniFile settings(kQuenlarkSettingsKey, before);
      settings.WriteBool("Window Properties", "Bookmarks.Showing", true);
      settings.WriteBool("Window Properties", "Cache Explorer.Showing", true);
    }
    for (int run = 0; run < 3; ++run) {
      QProcess &program = Launch();
      QByteArray output;
      ASSERT_TRUE(WaitUntilListening(program, output)) << output.toStdString();
      // A page of the proxy's own comes from the running event loop: the windows show by then.
      EXPECT_TRUE(test::Exchange(port_, "GET http://quenlark.invalid/bookmarks HTTP/1.0\r\n\r\n")
                      .starts_with("HTTP/1.0 200"));
      ::kill(static_cast<pid_t>(program.processId()), signal);
      ASSERT_TRUE(program.waitForFinished(20000));
      EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);

      Registry after(RegistryPath());
      const TRegIniFile saved(kQuenlarkSettingsKey, after);
      EXPECT_EQ(saved.ReadString("Window Properties", "Bookmarks.Showing", ""), "1") << signal;
      EXPECT_EQ(saved.ReadString("Window Properties", "Cache Explorer.Showing", ""), "1") << signal;
    }
  }
}

TEST_F(ProgramStartTest, ACacheExplorerShowingAtTheLastExitOpensWithTheProgramAndKeepsItsLayout) {
  TRegIniFile settings(kQuenlarkSettingsKey, registry_);
  settings.WriteBool("Window Properties", "Cache Explorer.Showing", true);
  settings.WriteBool("Cache Explorer Properties", "CheckBox7", true);
  QProcess &program = Launch();
  QByteArray output;
  ASSERT_TRUE(WaitUntilListening(program, output)) << output.toStdString();
  Stop(program);

  Registry after(RegistryPath());
  const TRegIniFile saved(kQuenlarkSettingsKey, after);
  EXPECT_TRUE(saved.ReadBool("Window Properties", "Cache Explorer.Showing", false));
  EXPECT_NE(saved.ReadInteger("Window Properties", "Cache Explorer.Width", -1), -1);
  EXPECT_EQ(saved.ReadInteger("Cache Explorer Window Properties", "Column Count", -1), 3);
  EXPECT_EQ(saved.ReadInteger("Cache Explorer Properties", "SortedBy", 0), 1);
}

} // namespace
} // namespace ql
