// The Setup dialog over a running engine: its validation, what OK writes, the listener's move
// and restrict.dat.
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/listener.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/windows/setup/dir_sel_form.h"
#include "proxy/windows/setup/setup_form.h"
#include "support/road_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace ql::test {
namespace {

QByteArray Read(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class SetupTest : public RoadTest {
protected:
  SetupTest() {
    Start();
    TSetupFormLinks links;
    links.settings = &store_;
    links.cache = &Cache();
    links.restrict = TRestrictFile(dir_.filePath("program"), dir_.filePath("user"));
    setup_ = std::make_unique<TSetupForm>(links);
    setup_->SetRestrictChanged([this] { ++restrictChanges_; });
    setup_->show();
  }

  // Types text into a box as the user would: the box counts as edited.
  void Type(const QString &box, const QString &text) {
    QLineEdit *edit = setup_->Edit(box);
    ASSERT_NE(edit, nullptr) << box.toStdString();
    edit->setText(text);
    edit->setModified(true);
  }
  // OK, and the text of the message it showed (empty for none).
  QString Ok() {
    const std::size_t before = dialogs_.Requests().size();
    setup_->OKButtonClick();
    return dialogs_.Requests().size() > before ? dialogs_.Requests().back().text : QString();
  }
  bool Serves(int port) {
    ClientScript script;
    script.pieces = {"GET http://quenlark.invalid/bookmarks HTTP/1.0\r\n\r\n"};
    auto client = StartClient(static_cast<std::uint16_t>(port), script);
    return Finish(client).received.rfind("HTTP/1.0 200", 0) == 0;
  }
  QString Stored(const char *section, const char *name) { return store_.ReadString(section, name, "(none)"); }

  std::unique_ptr<TSetupForm> setup_;
  int restrictChanges_ = 0;
};

TEST_F(SetupTest, RefusesBadInputInOrderAndWritesNothingUntilValid) {
  Type("ProxyIPEdit", "localhost ");
  Type("ProxyPortEdit", "8080");
  dialogs_.Answer(DialogButton::No);
  EXPECT_EQ(Ok(), "The Proxy Server name should point to your Internet service provider's Proxy server, and "
                  "cannot be set to a local address. Undo changes and continue?");
  EXPECT_EQ(setup_->Pages()->currentIndex(), 0);
  EXPECT_EQ(setup_->Edit("ProxyIPEdit")->text(), "localhost") << "trailing blanks removed";

  Type("ProxyIPEdit", "proxy.example");
  Type("ProxyPortEdit", "");
  EXPECT_EQ(Ok(),
            "If you wish to use your service provider's proxy server \r\n you must supply both the IP and "
            "port numbers.");
  Type("ProxyIPEdit", "");

  const char *boxes[] = {"HTTPPortEdit", "CacheNumResultsEdit", "DataDirEdit", "MaxCacheSizeEdit",
                         "MaxCacheItemSizeEdit"};
  for (const char *box : boxes)
    Type(box, "");
  EXPECT_EQ(Ok(), "Service Port field cannot be blank.");
  EXPECT_EQ(setup_->Pages()->currentIndex(), 1);
  Type("HTTPPortEdit", "0");
  EXPECT_EQ(Ok(), "Cache Display field cannot be blank.");
  Type("CacheNumResultsEdit", "0");
  EXPECT_EQ(Ok(), "Quenlark Data Directory field cannot be blank.");
  // A folder below a plain file can neither be made nor written.
  QFile plain(dir_.filePath("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  Type("DataDirEdit", dir_.filePath("plain/cache"));
  EXPECT_EQ(Ok(), "Maximum Cache Size field cannot be blank.");
  Type("MaxCacheSizeEdit", "1");
  EXPECT_EQ(Ok(), "Maximum Cache Item Size field cannot be blank.");
  Type("MaxCacheItemSizeEdit", "25");
  EXPECT_EQ(Ok(), "Maximum Cache Size must be at least 2Mb.");
  Type("MaxCacheSizeEdit", "20");
  EXPECT_EQ(Ok(), "Maximum Cache Item Size must be at least 30Kb.");
  Type("MaxCacheItemSizeEdit", "2097152");
  EXPECT_EQ(Ok(), "Maximum Cache Item Size must be at most 2097151Kb.") << "its bytes overflow 32 bits";
  Type("MaxCacheItemSizeEdit", "300");
  EXPECT_EQ(Ok(), "Service Port must be a number between 1 and 65535.");
  Type("HTTPPortEdit", "65536");
  EXPECT_EQ(Ok(), "Service Port must be a number between 1 and 65535.");
  Type("HTTPPortEdit", QString::number(port_));
  EXPECT_EQ(Ok(), "Cache Display count must be at least 1.");
  Type("CacheNumResultsEdit", "25");
  EXPECT_EQ(Ok(), "The Quenlark Data Directory " + dir_.filePath("plain/cache/") +
                      " cannot be created or written.");
  EXPECT_EQ(Stored("Cache", "MaxCacheSize"), "(none)") << "nothing is written while a box is refused";
  EXPECT_TRUE(setup_->isVisible());

  Type("DataDirEdit", dir_.filePath("newdata"));
  EXPECT_EQ(
      Ok(),
      "You will need to restart Quenlark for changes\r\nto the data directory location to take effect.");
  EXPECT_EQ(setup_->result(), QDialog::Accepted);
  EXPECT_EQ(Stored("Cache", "MaxCacheSize"), QString::number(20 * 1048576));
  EXPECT_EQ(Stored("Cache", "MaxCacheItemSize"), QString::number(300 * 1024));
  EXPECT_EQ(Stored("HTML Cache Explorer Properties", "CacheNumResults"), "25");
  EXPECT_EQ(Stored("Cache", "Path"), dir_.filePath("newdata") + "\\");
  EXPECT_EQ(EngineSettings.MaxCacheItemSize, 300 * 1024);
  EXPECT_EQ(EngineSettings.CacheNumResults, 25);
  EXPECT_EQ(DataDirectory, DataDir()) << "the running program keeps its directory";
}

TEST_F(SetupTest, LocalProxyAnsweredYesEmptiesBothBoxesAndSavesTheRest) {
  Type("ProxyIPEdit", "127.0.0.1");
  Type("ProxyPortEdit", "3128");
  setup_->Check("FlashControlbarCB")->setChecked(true);
  setup_->Check("ShowFilenamesCB")->setChecked(!EngineSettings.ShowFilenames);
  const bool filenames = setup_->Check("ShowFilenamesCB")->isChecked();
  dialogs_.Answer(DialogButton::Yes);
  Ok();
  EXPECT_EQ(setup_->result(), QDialog::Accepted);
  EXPECT_EQ(Stored("Network", "ProxyIP"), "");
  EXPECT_EQ(Stored("Network", "ProxyPort"), "-1");
  EXPECT_FALSE(UseUpstreamProxy);
  EXPECT_EQ(Stored("General", "FlashControlbar"), "1");
  EXPECT_EQ(EngineSettings.ShowFilenames, filenames);
  EXPECT_EQ(Stored("Cache Explorer Properties", "ShowFilenames"), filenames ? "1" : "0");
}

TEST_F(SetupTest, PortChangeMovesTheListener) {
  const std::uint16_t moved = FreePort();
  Type("HTTPPortEdit", QString::number(moved));
  EXPECT_EQ(Ok(), "");
  EXPECT_EQ(setup_->result(), QDialog::Accepted);
  EXPECT_TRUE(Serves(moved));
  EXPECT_FALSE(Serves(port_));
  EXPECT_EQ(Listener->Port, moved);
  EXPECT_EQ(Stored("Network", "HTTPProxyPort"), QString::number(moved));
  EXPECT_EQ(EngineSettings.HTTPProxyPort, moved);

  // Only the loopback choice: the listener starts again on the same port.
  setup_->show();
  setup_->Check("UseLoopbackCB")->setChecked(!EngineSettings.UseLoopback);
  const bool loopback = setup_->Check("UseLoopbackCB")->isChecked();
  EXPECT_EQ(Ok(), "");
  EXPECT_EQ(Listener->Loopback, loopback);
  EXPECT_EQ(Listener->Port, moved);
  EXPECT_TRUE(Serves(moved));
  EXPECT_EQ(Stored("Network", "UseLoopback"), loopback ? "1" : "0");
}

// The port boxes take digits and backspace only: letters typed or pasted never reach them, and
// OK still refuses a number that names no port.
TEST_F(SetupTest, PortBoxesTakeOnlyDigits) {
  QLineEdit *service = setup_->Edit("HTTPPortEdit");
  service->clear();
  QTest::keyClicks(service, "ab12x");
  EXPECT_EQ(service->text(), "12");
  QTest::keyClick(service, Qt::Key_Backspace);
  QTest::keyClicks(service, "7x0000");
  EXPECT_EQ(service->text(), "17000");
  service->clear();
  QTest::keyClicks(service, "70000");
  EXPECT_EQ(Ok(), "Service Port must be a number between 1 and 65535.");
  EXPECT_EQ(setup_->Pages()->currentIndex(), 1);
  EXPECT_NE(setup_->result(), QDialog::Accepted);
  EXPECT_EQ(Listener->Port, port_);
  EXPECT_EQ(Stored("Network", "HTTPProxyPort"), QString::number(port_));

  service->setText(QString::number(port_));
  Type("ProxyIPEdit", "proxy.example");
  QLineEdit *upstream = setup_->Edit("ProxyPortEdit");
  QTest::keyClicks(upstream, "80x8 ");
  EXPECT_EQ(upstream->text(), "808");
  QGuiApplication::clipboard()->setText("8080a");
  upstream->clear();
  QTest::keyClick(upstream, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(upstream->text(), "");
  QGuiApplication::clipboard()->setText("8080");
  QTest::keyClick(upstream, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Ok(), "");
  EXPECT_EQ(EngineSettings.ProxyPort, 8080);
  EXPECT_EQ(Stored("Network", "ProxyPort"), "8080");
}

TEST_F(SetupTest, PortInUseIsReportedAndTheOldListenerKeepsServing) {
  const std::uint16_t taken = FreePort();
  PortBlocker blocker(taken);
  Type("HTTPPortEdit", QString::number(taken));
  const QString message = Ok();
  // The socket layer reports a failed bind at the listen that follows it.
  EXPECT_TRUE(message.contains("10048") || message.contains("10022")) << message.toStdString();
  EXPECT_NE(setup_->result(), QDialog::Accepted);
  EXPECT_TRUE(setup_->isVisible());
  EXPECT_EQ(setup_->Edit("HTTPPortEdit")->text(), QString::number(port_));
  EXPECT_TRUE(Serves(port_));
  EXPECT_EQ(EngineSettings.HTTPProxyPort, port_);
  EXPECT_EQ(Stored("Network", "HTTPProxyPort"), QString::number(port_));
}

TEST_F(SetupTest, RestrictDatIsWrittenBesideTheProgramOrElseAsAPerUserCopy) {
  // The program's directory does not exist (nor can a file be made there): the per-user copy.
  setup_->KillMemo()->setPlainText("ads\nbanner");
  setup_->KillMemo()->document()->setModified(true);
  EXPECT_EQ(Ok(), "");
  EXPECT_EQ(Read(dir_.filePath("user/restrict.dat")), "ads\nbanner\n");
  EXPECT_EQ(restrictChanges_, 1);
  EXPECT_EQ(TRestrictFile(dir_.filePath("program"), dir_.filePath("user")).ReadLines(),
            (QList<QByteArray>{"ads", "banner"}));

  const TRestrictFile beside(dir_.filePath("bin"), dir_.filePath("user2"));
  QDir().mkpath(dir_.filePath("bin"));
  beside.WriteText("tracker");
  EXPECT_EQ(Read(dir_.filePath("bin/restrict.dat")), "tracker\n");
  EXPECT_FALSE(QFile::exists(dir_.filePath("bin/restrict.dat.tmp")));
  EXPECT_FALSE(QFile::exists(dir_.filePath("user2/restrict.dat")));
}

TEST_F(SetupTest, SelectDirectoryCreatesAMissingFolderOnlyWhenAsked) {
  const QString missing = dir_.filePath("chosen/deeper");
  TDirSelForm declined(dir_.path());
  declined.DirectoryBox()->setText(missing);
  dialogs_.Answer(DialogButton::No);
  declined.OKButtonClick();
  EXPECT_EQ(dialogs_.Requests().back().text, missing + "/ does not  exist. Create?");
  EXPECT_EQ(declined.result(), QDialog::Rejected);
  EXPECT_FALSE(QDir(missing).exists());

  TDirSelForm accepted(dir_.path());
  accepted.DirectoryBox()->setText(missing);
  dialogs_.Answer(DialogButton::Yes);
  accepted.OKButtonClick();
  EXPECT_EQ(accepted.result(), QDialog::Accepted);
  EXPECT_EQ(accepted.Directory(), missing + "/");
  EXPECT_TRUE(QDir(missing).exists());
}

// Names of the entries of a folder that anyone opened, folders left out.
class OpenedEntries {
public:
  explicit OpenedEntries(const QString &folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN | IN_ACCESS);
  }
  ~OpenedEntries() { ::close(fd_); }
  QStringList Names() {
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < n;) {
        const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
        if (event->len > 0 && (event->mask & IN_ISDIR) == 0)
          names_ << QString::fromLocal8Bit(event->name);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return names_;
  }

private:
  int fd_;
  QStringList names_;
};

// Browse for directory shows the folders only and never opens a file, however the file
// behaves when read; a folder chosen in the tree goes back to the data directory box.
TEST_F(SetupTest, SelectDirectoryListsFoldersOnlyAndOpensNoFile) {
  const QString folder = dir_.filePath("browse");
  ASSERT_TRUE(QDir().mkpath(folder + "/sub/inner"));
  QFile notes(folder + "/notes");
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.write("a file whose kind only its bytes tell");
  notes.close();
  ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "/pipe").constData(), 0600), 0);
  OpenedEntries opened(folder);

  setup_->Pages()->setCurrentIndex(1);
  Type("DataDirEdit", folder);
  QPushButton *browse = nullptr;
  for (QPushButton *button : setup_->findChildren<QPushButton *>()) {
    if (button->text() == "Browse for directory")
      browse = button;
  }
  ASSERT_NE(browse, nullptr);
  QStringList listed;
  QStringList below;
  auto *poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, poll, [&] {
    auto *dialog = dynamic_cast<TDirSelForm *>(QApplication::activeModalWidget());
    if (dialog == nullptr)
      return;
    poll->deleteLater();
    poll->stop();
    QTreeView *tree = dialog->Tree();
    const QModelIndex start = tree->currentIndex();
    const auto names = [tree](const QModelIndex &parent) {
      QStringList texts;
      for (int row = 0; row < tree->model()->rowCount(parent); ++row)
        texts << tree->model()->index(row, 0, parent).data().toString();
      return texts;
    };
    listed = names(start);
    const QModelIndex sub = tree->model()->index(0, 0, start);
    tree->expand(sub);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 500)
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    below = names(sub);
    const QModelIndex inner = tree->model()->index(0, 0, sub);
    tree->scrollTo(inner);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(inner).center());
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
      if (button->text() == "&OK")
        QTest::mouseClick(button, Qt::LeftButton);
    }
    if (dialog->isVisible()) {
      ADD_FAILURE() << "Select Directory stayed open";
      dialog->reject();
    }
  });
  poll->start(1);
  QTest::mouseClick(browse, Qt::LeftButton);

  EXPECT_EQ(listed, QStringList({"sub"}));
  EXPECT_EQ(below, QStringList({"inner"}));
  EXPECT_EQ(setup_->Edit("DataDirEdit")->text(), folder + "/sub/inner/");
  EXPECT_EQ(opened.Names(), QStringList());
}

// scripts/screenshot-autobrowse: each page of the dialog as a picture.
TEST_F(SetupTest, Pictures) {
  const QString pictures = qEnvironmentVariable("QUENLARK_PICTURE_DIR");
  if (pictures.isEmpty())
    GTEST_SKIP() << "QUENLARK_PICTURE_DIR names no folder";
  for (int page = 0; page < setup_->Pages()->count(); ++page) {
    setup_->Pages()->setCurrentIndex(page);
    EXPECT_TRUE(setup_->grab().save(pictures + QStringLiteral("/setup-%1.png").arg(page + 1)));
  }
}

// The cache's size is the space its bodies take on the disk, whole blocks each, as the size
// limit counts it: 400 bodies of ten bytes take 400 blocks, not 4000 bytes.
TEST_F(SetupTest, InformationShowsTheSpaceTheCacheTakesOnTheDisk) {
  for (int32_t id = 1; id <= 500; ++id) {
    TCacheItem item;
    item.ID = id;
    item.URL = "http://s.test:80/" + QByteArray::number(id);
    item.Length = 10;
    item.EntryType = id <= 400 ? Normal : Auto;
    Cache().Index().Put(std::move(item));
  }
  const int64_t block = Cache().Index().SpaceOf(1);
  ASSERT_GE(block, 512);
  setup_->hide();
  setup_->show();
  const auto megabytes = [](int64_t bytes) { return QString::number(bytes / 1048576.0, 'f', 1) + " Mb"; };
  EXPECT_EQ(setup_->InformationText(1), megabytes(400 * block));
  EXPECT_EQ(setup_->InformationText(2), "500");
  EXPECT_EQ(setup_->InformationText(3), megabytes(100 * block));
}

} // namespace
} // namespace ql::test
