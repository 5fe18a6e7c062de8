// The help window over the help file the program ships, reached through the windows' own Help
// buttons and their F1 key.
#include "proxy/engine/http/paths.h"
#include "proxy/platform/dialog_sink.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/bookmarks/node_prop_form.h"
#include "proxy/windows/common/help_window.h"
#include "proxy/windows/setup/dir_sel_form.h"
#include "proxy/windows/startup/program_windows.h"
#include "support/loopback_exchange.h"
#include "support/run_events.h"
#include "support/windows_in_process.h"

#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include <set>

namespace ql {
namespace {

QTextBrowser *HelpWindow() {
  for (QWidget *widget : QApplication::topLevelWidgets()) {
    if (widget->windowTitle() == QLatin1String("Quenlark Help"))
      return qobject_cast<QTextBrowser *>(widget);
  }
  return nullptr;
}

// The heading of the section the help window shows: its first line.
QString Heading() {
  QTextBrowser *help = HelpWindow();
  return help != nullptr ? help->toPlainText().section(QLatin1Char('\n'), 0, 0).trimmed() : QString();
}

class HelpWindowTest : public ::testing::Test {
protected:
  HelpWindowTest() { SetHelpFile(qEnvironmentVariable("TEST_SOURCE_DIR") + "/../../resources/QUENLARK.HLP"); }
  ~HelpWindowTest() override {
    if (QTextBrowser *help = HelpWindow())
      help->close();
  }
  RecordingDialogSink dialogs_;
};

TEST_F(HelpWindowTest, EveryContextOfTheWindowsHasASectionOfItsOwn) {
  // Contents and control bar, Cache Explorer, Bookmarks, Autobrowse Control, Filter, the two
  // Bookmark Properties pages, the three Setup pages, Sort, Select Directory, Cache Item
  // Properties, Select Headers.
  const int contexts[] = {1, 10, 11, 12, 15, 16, 17, 18, 19, 20, 22, 25, 26, 27};
  std::set<QString> headings;
  for (const int context : contexts) {
    ShowHelpContext(context);
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_TRUE(HelpWindow()->isVisible());
    const QString text = HelpWindow()->toPlainText();
    EXPECT_GT(text.size(), 200) << context;
    EXPECT_TRUE(headings.insert(Heading()).second) << context << " repeats " << Heading().toStdString();
  }
  EXPECT_TRUE(dialogs_.Requests().empty());
  // The contents page reaches the others through its links.
  ShowHelpContext(1);
  EXPECT_EQ(Heading(), "Quenlark");
  emit HelpWindow()->anchorClicked(QUrl("#context-22"));
  EXPECT_EQ(Heading(), "Sort");
  // A context without a section of its own shows the contents.
  ShowHelpContext(99);
  EXPECT_EQ(Heading(), "Quenlark");
}

TEST_F(HelpWindowTest, EachHelpButtonShowsItsPageAndEscapeCloses) {
  // The dialog runs modally, as it does in the program: its help must still take keys.
  TNodePropForm properties;
  properties.setWindowModality(Qt::ApplicationModal);
  properties.show();
  auto *help = properties.findChild<QPushButton *>("HelpButton");
  ASSERT_NE(help, nullptr);
  QTest::mouseClick(help, Qt::LeftButton);
  EXPECT_EQ(Heading(), "Bookmark Properties");
  properties.findChild<QTabWidget *>("Pages")->setCurrentIndex(1);
  QTest::mouseClick(help, Qt::LeftButton);
  EXPECT_EQ(Heading(), "Bookmark Properties: Advanced");

  QTest::keyClick(HelpWindow()->windowHandle(), Qt::Key_Escape);
  EXPECT_FALSE(HelpWindow()->isVisible());
  EXPECT_TRUE(properties.isVisible()) << "Escape closes the help window only";
}

// A window of the program by its title.
QWidget *Window(const QString &title) {
  for (QWidget *widget : QApplication::topLevelWidgets()) {
    if (widget->windowTitle() == title && widget->windowType() != Qt::Desktop)
      return widget;
  }
  return nullptr;
}

// F1 pressed in a window that has a Help button shows that window's own help, as the button
// does: on a window with pages, the page's.
TEST_F(HelpWindowTest, F1ShowsTheHelpOfEveryWindowWithAHelpButton) {
  test::TWindowsInProcess inProcess;
  Registry registry(inProcess.dir.filePath("registry.reg"));
  TRegIniFile(kQuenlarkSettingsKey, registry).WriteInteger("Network", "HTTPProxyPort", test::FreePort());
  TProgramWindows windows(registry, inProcess.dir.filePath("data") + "/", {});
  ASSERT_FALSE(windows.Halted());
  TDirSelForm directories(inProcess.dir.path());
  // The heading of the help that F1 shows in the window, once Ctrl+Tab turned `pages` pages on;
  // empty when it shows none.
  const auto pressF1 = [](QWidget *window, int pages = 0) {
    window->show();
    window->activateWindow();
    EXPECT_TRUE(test::RunEventsUntil([window] { return QApplication::activeWindow() == window; }, 5000))
        << window->windowTitle().toStdString();
    const auto focus = [window] { return window->focusWidget() != nullptr ? window->focusWidget() : window; };
    for (int page = 0; page < pages; ++page)
      QTest::keyClick(focus(), Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(focus(), Qt::Key_F1);
    QString shown;
    if (QTextBrowser *help = HelpWindow(); help != nullptr && help->isVisible()) {
      shown = Heading();
      help->close();
    }
    window->hide();
    return shown;
  };
  const std::vector<std::pair<QString, QString>> windowsAndHelp = {
      {"Quenlark Control Bar", "Quenlark"},
      {"Bookmarks", "Bookmarks"},
      {"Bookmark Properties", "Bookmark Properties"},
      {"Cache Explorer", "Cache Explorer"},
      {"Filter", "Filter"},
      {"Sort", "Sort"},
      {"Select Headers", "Select Headers"},
      {"Cache Item Properties", "Cache Item Properties"},
      {"Setup", "Setup: General"},
      {"Select Directory", "Select Directory"},
  };
  for (const auto &[title, help] : windowsAndHelp) {
    QWidget *window = Window(title);
    ASSERT_NE(window, nullptr) << title.toStdString();
    EXPECT_EQ(pressF1(window), help) << title.toStdString();
  }
  // On the pages of Setup and Bookmark Properties, the page's own.
  for (const auto &[title, page, help] : {std::tuple<QString, int, QString>{"Setup", 1, "Setup: Advanced"},
                                          {"Setup", 2, "Setup: Information"},
                                          {"Bookmark Properties", 1, "Bookmark Properties: Advanced"}}) {
    EXPECT_EQ(pressF1(Window(title), page), help) << title.toStdString() << page;
  }
  EXPECT_TRUE(dialogs_.Requests().empty());
}

} // namespace
} // namespace ql
