// The help window over the help file the program ships, reached through the windows' own Help
// buttons.
#include "proxy/engine/http/paths.h"
#include "proxy/platform/dialog_sink.h"
#include "proxy/windows/bookmarks/node_prop_form.h"
#include "proxy/windows/common/help_window.h"

#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

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

} // namespace
} // namespace ql
