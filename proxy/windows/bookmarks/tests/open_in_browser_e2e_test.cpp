// The program's windows as start-up creates them, with a browser command that answers no DDE,
// as no browser on Linux does: every way of opening a bookmark or a Cache Explorer row hands
// the URL to the command once, and nothing keeps rewriting the settings afterwards.
#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/platform/dialog_sink.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/bookmarks/auto_form.h"
#include "proxy/windows/bookmarks/ext_outline.h"
#include "proxy/windows/control_bar/control_form.h"
#include "proxy/windows/startup/engine_window.h"
#include "proxy/windows/startup/program_windows.h"
#include "support/cache_test_util.h"
#include "support/proxy_process.h"
#include "support/run_events.h"
#include "support/windows_in_process.h"

#include <QApplication>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ql {
namespace {

using test::RunEventsUntil;

// The lines the fake browser wrote: one per start, the number of its arguments and the first two.
QStringList Opened(const QString &log) {
  QFile file(log);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The registry file's identity and time: a write makes a new file.
std::pair<ino_t, timespec> Stamp(const QString &path) {
  struct stat facts {};
  ::stat(QFile::encodeName(path).constData(), &facts);
  return {facts.st_ino, facts.st_mtim};
}

TEST(OpenInBrowser, EachOpenHandsTheUrlToTheBrowserCommandOnce) {
  test::TWindowsInProcess inProcess;
  const QTemporaryDir &dir = inProcess.dir;
  RecordingDialogSink dialogs;
  const QString log = dir.filePath("opened.log");
  const QString browser = dir.filePath("fake browser");
  {
    QFile script(browser);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s|%s|%s\\n' \"$#\" \"$1\" \"$2\" >> \"$FAKE_BROWSER_LOG\"\n");
  }
  qputenv("FAKE_BROWSER_LOG", QFile::encodeName(log));
  ASSERT_TRUE(QFile::setPermissions(browser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

  const QString registryPath = dir.filePath("registry.reg");
  Registry registry(registryPath);
  TRegIniFile settings(kQuenlarkSettingsKey, registry);
  settings.WriteInteger("Network", "HTTPProxyPort", test::FreePort());
  settings.WriteBool("General", "AutoLocateBrowser", false);
  // The command's own words come first; the URL is handed over after them, as one word.
  settings.WriteString("General", "BrowserPath", "\"" + browser + "\" --option");
  const QString data = dir.filePath("data") + "/";
  {
    TProgramWindows windows(registry, data, {});
    ASSERT_FALSE(windows.Halted());
    TCacheIndex &index = windows.Engine().Cache().Index();
    index.Put(test::MakeItem(index.NextCacheId(), "http://cached.example/row.html"));
    TAutoForm &bookmarks = windows.Bookmarks();
    TBookmarkOutline &tree = bookmarks.Tree();
    auto folder = std::make_unique<TBMInfo>();
    folder->Folder = 1;
    folder->Title = "F";
    TBookmarkNode *top = tree.Append(nullptr, std::move(folder));
    top->Expanded = true;
    auto site = std::make_unique<TBMInfo>();
    site->Title = "Site";
    site->URL = "http://site.example:80/a page";
    TBookmarkNode *bookmark = tree.Append(top, std::move(site));
    windows.ControlForm().ShowAutoForm();
    windows.ControlForm().ShowCacheForm();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bookmarks));
    TExtOutline &outline = bookmarks.Outline();
    outline.expand(outline.model()->index(0, 0));
    outline.Select(bookmark);
    QApplication::processEvents();
    const auto before = Stamp(registryPath);

    // The Open button, F9, a double click on the bookmark, a double click on the row.
    QTest::mouseClick(bookmarks.findChild<QToolButton *>("OpenInBrowserButton"), Qt::LeftButton);
    bookmarks.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&bookmarks));
    QTest::keyClick(&outline, Qt::Key_F9);
    const QRect row = outline.visualRect(outline.currentIndex());
    QTest::mouseDClick(outline.viewport(), Qt::LeftButton, {}, row.center());
    auto *grid = windows.CacheExplorer().findChild<QTableView *>();
    ASSERT_NE(grid, nullptr);
    ASSERT_GE(grid->model()->rowCount(), 1);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       grid->visualRect(grid->model()->index(0, 0)).center());

    const QString page = "2|--option|http://site.example/a page";
    const QStringList expected = {"2|--option|http://cached.example/row.html", page, page, page};
    ASSERT_TRUE(RunEventsUntil([&] { return Opened(log).size() >= 4; }, 10000))
        << Opened(log).join('\n').toStdString();
    QStringList opened = Opened(log);
    opened.sort();
    EXPECT_EQ(opened, expected);
    // Several URL timer periods later nothing more started and nothing was written.
    RunEventsUntil([] { return false; }, 1000);
    EXPECT_EQ(Opened(log).size(), 4);
    EXPECT_FALSE(bookmarks.URLTimerRunning());
    EXPECT_FALSE(PlainBrowserStart);
    const auto after = Stamp(registryPath);
    EXPECT_EQ(after.first, before.first);
    EXPECT_EQ(after.second.tv_sec, before.second.tv_sec);
    EXPECT_EQ(after.second.tv_nsec, before.second.tv_nsec);
    EXPECT_TRUE(dialogs.Requests().empty());
  }
  qunsetenv("FAKE_BROWSER_LOG");
}

} // namespace
} // namespace ql
