// Starts the real program on a free loopback port with a temporary data directory and
// temporary XDG directories, talks HTTP to it and stops it with SIGTERM.
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <string>

namespace {

std::uint16_t FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address));
  socklen_t length = sizeof(address);
  ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

int Connect(std::uint16_t port, const char *host = "127.0.0.1") {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  ::inet_pton(AF_INET, host, &address.sin_addr);
  if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
    ::close(fd);
    return -1;
  }
  timeval tv{10, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
  return fd;
}

// Sends the request and reads until the program ends its side of the connection.
std::string Exchange(std::uint16_t port, const std::string &request) {
  const int fd = Connect(port);
  if (fd < 0) {
    return "(refused)";
  }
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = ::recv(fd, buffer, sizeof(buffer), 0)) > 0;) {
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return answer;
}

class QuenlarkProgramTest : public ::testing::Test {
protected:
  void SetUp() override {
    const QString configHome = dir_.filePath("config");
    {
      ql::Registry registry(configHome + "/quenlark/registry.reg");
      ql::TRegIniFile settings(ql::kQuenlarkSettingsKey, registry);
      settings.WriteInteger("Network", "HTTPProxyPort", port_);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", configHome);
    env.insert("XDG_DATA_HOME", dir_.filePath("share"));
    env.insert("XDG_RUNTIME_DIR", dir_.filePath("runtime"));
    // The runtime directory is the user's own (0700), or Qt does not take it and every test
    // would share one register of running programs.
    QDir().mkpath(dir_.filePath("runtime"));
    QFile::setPermissions(dir_.filePath("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    program_.setProcessEnvironment(env);
    program_.setProgram(qEnvironmentVariable("QUENLARK_BIN"));
    program_.setArguments({"-platform", "offscreen", "/c:" + dataDir_});
    program_.setReadChannel(QProcess::StandardError);
  }

  void TearDown() override {
    if (program_.state() != QProcess::NotRunning) {
      program_.kill();
      program_.waitForFinished();
    }
  }

  // Starts the program and waits for its listening line.
  bool StartProgram() {
    program_.start();
    if (!program_.waitForStarted(10000)) {
      log_ = program_.errorString();
      return false;
    }
    const QRegularExpression listening(QStringLiteral("Now listening on hSocket \\d+ port %1\n").arg(port_));
    while (!log_.contains(listening)) {
      if (!program_.waitForReadyRead(10000)) {
        return false;
      }
      log_ += QString::fromLocal8Bit(program_.readAllStandardError());
    }
    return true;
  }

  QTemporaryDir dir_;
  QString dataDir_ = dir_.filePath("data") + "/";
  std::uint16_t port_ = FreePort();
  QProcess program_;
  QString log_;
};

TEST_F(QuenlarkProgramTest, ListensAnswersAndStopsCleanlyOnSigterm) {
  ASSERT_TRUE(StartProgram()) << log_.toStdString();
  EXPECT_TRUE(QDir(dataDir_ + "TEMP").exists());
  // By default the proxy is reachable from this machine only.
  EXPECT_EQ(Connect(port_, "127.0.0.2"), -1);

  EXPECT_EQ(Exchange(port_, "FETCH http://a.test/ HTTP/1.1\r\nHost: a.test\r\n\r\n"),
            "HTTP/1.0 400 Invalid request\r\nAllow: GET POST\r\n\r\n");
  const std::string answer = Exchange(port_, "GET http://a.test/ HTTP/1.1\r\nHost: a.test\r\n\r\n");
  EXPECT_TRUE(answer.starts_with("HTTP/1.0 ")) << answer;

  // A browser connection still open at the stop does not hold the program up.
  const int idle = Connect(port_);
  ASSERT_GE(idle, 0);
  ::kill(static_cast<pid_t>(program_.processId()), SIGTERM);
  ASSERT_TRUE(program_.waitForFinished(10000));
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 0);
  // Closed either way: ended by the program, or reset when it was still waiting to be accepted.
  char byte;
  EXPECT_LE(::recv(idle, &byte, 1, 0), 0);
  ::close(idle);
}

// Without a display a dialog does not wait for a click: its text goes to standard error. With
// its port taken the program runs on without a listener, and SIGTERM ends it in order.
TEST_F(QuenlarkProgramTest, PortTakenHeadlessReportsRunsOnAndStopsOnSigterm) {
  const int holder = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port_);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
  ASSERT_EQ(::listen(holder, 1), 0);
  program_.start();
  ASSERT_TRUE(program_.waitForStarted(10000));
  while (!log_.contains("Unable to create a listening connection") && program_.waitForReadyRead(10000)) {
    log_ += QString::fromLocal8Bit(program_.readAllStandardError());
  }
  EXPECT_TRUE(log_.contains("Error: Unable to create a listening connection")) << log_.toStdString();
  EXPECT_FALSE(program_.waitForFinished(500));
  ::kill(static_cast<pid_t>(program_.processId()), SIGTERM);
  ASSERT_TRUE(program_.waitForFinished(10000));
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 0);
  ::close(holder);
}

// A stop signal that comes while the program is still starting ends it too.
TEST_F(QuenlarkProgramTest, SigtermDuringStartEndsTheProgram) {
  for (int delayMs : {0, 30, 120}) {
    program_.start();
    ASSERT_TRUE(program_.waitForStarted(10000));
    QThread::msleep(static_cast<unsigned long>(delayMs));
    ::kill(static_cast<pid_t>(program_.processId()), SIGTERM);
    ASSERT_TRUE(program_.waitForFinished(10000)) << delayMs;
  }
}

// A cache index of the earlier format gets the conversion notice and the program halts before
// it writes anything in the data directory: the old index, journal and bodies stay as they are.
TEST_F(QuenlarkProgramTest, EarlierFormatIndexHaltsBeforeAnythingIsWritten) {
  QDir().mkpath(dataDir_);
  const QByteArray oldIndex("\x01\x0f old records", 15);
  const auto write = [&](const QString &name, const QByteArray &bytes) {
    QFile file(dataDir_ + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  };
  write("CACHE.DAT", oldIndex);
  write("CACHE.BAK", "journal");
  write("1.ADL", "old body");
  const auto listing = [&] {
    QStringList entries;
    QDirIterator it(dataDir_, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      QFile file(path);
      file.open(QIODevice::ReadOnly);
      entries << path + "=" + QString::fromLatin1(file.readAll().toHex());
    }
    entries.sort();
    return entries;
  };
  const QStringList before = listing();
  program_.start();
  ASSERT_TRUE(program_.waitForFinished(10000));
  log_ = QString::fromLocal8Bit(program_.readAllStandardError());
  EXPECT_TRUE(log_.contains("Error: Cache and bookmarks need conversion")) << log_.toStdString();
  EXPECT_NE(program_.exitCode(), 0);
  EXPECT_EQ(listing(), before);
  EXPECT_EQ(Connect(port_), -1);
}

// A bookmark file of the earlier format gets the same notice: the program ends, and neither the
// bookmark file nor the cache index is written.
TEST_F(QuenlarkProgramTest, EarlierFormatBookmarkFileEndsTheProgramUntouched) {
  QDir().mkpath(dataDir_);
  const QByteArray oldBookmarks("\x01\x0e old bookmarks", 16);
  QFile file(dataDir_ + "auto.dat");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(oldBookmarks);
  file.close();
  program_.start();
  ASSERT_TRUE(program_.waitForFinished(10000));
  log_ = QString::fromLocal8Bit(program_.readAllStandardError());
  EXPECT_TRUE(log_.contains("Error: Cache and bookmarks need conversion")) << log_.toStdString();
  EXPECT_NE(program_.exitCode(), 0);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), oldBookmarks);
  EXPECT_FALSE(QFile::exists(dataDir_ + "CACHE.DAT"));
  EXPECT_FALSE(QFile::exists(dataDir_ + "auto.bak"));
}

// The bookmark file is read at the start and written again at the end of a run.
TEST_F(QuenlarkProgramTest, TheBookmarkFileIsReadAndWrittenBack) {
  QDir().mkpath(dataDir_);
  QByteArray bookmarks("\x02\x10", 2);
  // One folder record: the fixed part (all zero but the retrieve flags and the folder byte),
  // expanded, level 1, the title "Mine" and five absent texts.
  QByteArray fixed(69, '\0');
  fixed[63] = 1; // folder
  fixed[66] = fixed[67] = fixed[68] = 1;
  bookmarks += fixed + QByteArray("\x01\x01\x00\x05\x00Mine\0", 10) + QByteArray(10, '\0');
  QFile file(dataDir_ + "auto.dat");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bookmarks);
  file.close();
  ASSERT_TRUE(StartProgram()) << log_.toStdString();
  ::kill(static_cast<pid_t>(program_.processId()), SIGTERM);
  ASSERT_TRUE(program_.waitForFinished(10000));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll().toHex(), bookmarks.toHex());
  EXPECT_EQ(QFile(dataDir_ + "auto.bak").size(), bookmarks.size());
}

TEST_F(QuenlarkProgramTest, StopsOnSigintToo) {
  ASSERT_TRUE(StartProgram()) << log_.toStdString();
  ::kill(static_cast<pid_t>(program_.processId()), SIGINT);
  ASSERT_TRUE(program_.waitForFinished(10000));
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 0);
}

} // namespace
