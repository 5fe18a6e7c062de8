// The Monitor Clipboard window as the user meets it: the question about what the clipboard
// holds when it opens, the sites added as texts are copied, and Exit.

#include "library/core/dictionary.h"
#include "library/exchange/clipboard/clipboard_scan.h"
#include "library/exchange/clipboard/monitor_clipboard.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/desktop.h"
#include "library/runtime/windows/window.h"
#include "support/form_driver.h"
#include "support/old_files.h"
#include "support/print_qstring.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

class MonitorTest : public FormTest {
protected:
  // Runs the monitor; `script` works the open window, then Exit is pressed.
  void Run(const std::function<void(Window &)> &script) {
    RunWithScript(MonitorClipboard, [&](int thread) {
      Window &window = WaitForWindow(thread, "Monitor Clipboard");
      script(window);
      window.Get<ButtonControl>(kMonitorExit).Press();
      WaitForEnd(thread);
    });
  }

  static void WaitForStatus(Window &window, const QString &status) {
    WaitFor([&] { return window.Find(kMonitorStatus)->Text() == status; });
  }
};

TEST_F(MonitorTest, ScansWhatTheClipboardHeldAndEachNewText) {
  SETCLIPBOARD("Visit http://a.example/ for news");
  answers_ = {BUTTON_NO};
  Run([](Window &window) {
    WaitForStatus(window, "Added 1:  http://a.example/");
    SETCLIPBOARD("www.x.com");
    WaitForStatus(window, "Added 2:  http://www.x.com");
  });
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, "Ignore current clipboard contents?");
  EXPECT_EQ(shown_[0].caption, "Clipboard Contains Data");
  EXPECT_EQ(shown_[0].buttons, BUTTON_YES | BUTTON_NO);
  EXPECT_EQ(shown_[0].defaultButton, BUTTON_NO);
  const QStringList sites = NewSites();
  ASSERT_EQ(sites.size(), 2);
  EXPECT_EQ(sites[0], "http://a.example/|for news|Clipboard|0|http|");
  EXPECT_TRUE(sites[1].startsWith("http://www.x.com|Added from clipboard ")) << sites[1].toStdString();
  EXPECT_FALSE(GETINI("MonitorClipboard", "Width", "", "VORNIX.INI").isEmpty());
  EXPECT_EQ(VORNIX().useCount, 0);
  EXPECT_EQ(Categories().useCount, 0);
}

TEST_F(MonitorTest, IgnoredTextIsNotScannedEvenWhenCopiedAgain) {
  SETCLIPBOARD("http://ignored.example/");
  answers_ = {BUTTON_YES};
  Run([](Window &window) {
    SETCLIPBOARD("http://ignored.example/");
    QElapsedTimer ticks; // two ticks of the window's timer
    ticks.start();
    WaitFor([&ticks] { return ticks.elapsed() > 600; });
    SETCLIPBOARD("http://wanted.example/ now");
    WaitForStatus(window, "Added 1:  http://wanted.example/");
  });
  EXPECT_EQ(NewSites(), QStringList{"http://wanted.example/|now|Clipboard|0|http|"});
}

// A long text with an address in every sentence: its first 2000 characters end just after
// the "http://" of one, which adds no site, so no scheme alone leads the Locations list.
// Then a copied heading with its link: the category and the description read as the import
// would read them, their character references decoded.
TEST_F(MonitorTest, NeitherACutAddressNorAnEncodedHeadingBecomesASite) {
  QString text;
  for (int i = 0; i < 60000; ++i)
    text += QStringLiteral("word%1 http://big%1.example/ desc ").arg(i);
  ASSERT_TRUE(text.left(kClipboardTextLength).endsWith(" word59 http://"));
  SETCLIPBOARD(text);
  answers_ = {BUTTON_NO};
  Run([](Window &window) {
    WaitFor([&] { return window.Find(kMonitorStatus)->Text().startsWith("Added 59:"); });
    SETCLIPBOARD("<h3>Head &amp; Co</h3><a href=\"https://linked.example/\">Linked &lt;text&gt;</a>");
    WaitForStatus(window, "Added 60:  https://linked.example/");
  });
  const QStringList sites = NewSites();
  ASSERT_EQ(sites.size(), 60);
  for (const QString &site : sites)
    EXPECT_TRUE(
        site.contains(QRegularExpression("^(http://big\\d+\\.example/|https://linked\\.example/)\\|")))
        << site.toStdString();
  EXPECT_TRUE(sites.contains("https://linked.example/|Linked <text>|Head & Co|0|https|"));
  TakeFile(Categories());
  CLEAR(Categories());
  CAT().Category = "Head & Co";
  GET(Categories().K_Category);
  EXPECT_EQ(ERRORCODE(), 0);
  ReleaseFile(Categories());
}

// A text on the clipboard, as another program offers it: each time its text is asked for,
// that program would have to send all of it. Counts the times.
class OfferedText : public QMimeData {
public:
  OfferedText(QString text, int &fetches) : text_(std::move(text)), fetches_(fetches) {}
  QStringList formats() const override { return {"text/plain"}; }
  bool hasFormat(const QString &mime) const override { return mime == "text/plain"; }

protected:
  QVariant retrieveData(const QString &mime, QMetaType) const override {
    if (!mime.startsWith("text/plain"))
      return {};
    ++fetches_;
    return text_;
  }

private:
  QString text_;
  int &fetches_;
};

void Offer(const QString &text, int &fetches) {
  QApplication::clipboard()->setMimeData(new OfferedText(text, fetches));
}

// The clipboard's text is fetched when the window opens and after each change, never on a
// tick that finds the clipboard unchanged.
TEST_F(MonitorTest, TheTextIsFetchedOnlyAfterTheClipboardChanged) {
  int fetches = 0;
  Offer("http://first.example/ first", fetches);
  answers_ = {BUTTON_NO};
  int opened = 0, ticked = 0, changed = 0;
  Run([&](Window &window) {
    WaitForStatus(window, "Added 1:  http://first.example/");
    opened = fetches;
    QElapsedTimer ticks; // four ticks of the window's timer
    ticks.start();
    WaitFor([&ticks] { return ticks.elapsed() > 1100; });
    ticked = fetches;
    Offer("http://second.example/ second", fetches);
    WaitForStatus(window, "Added 2:  http://second.example/");
    changed = fetches;
  });
  QApplication::clipboard()->clear(); // the offered text counts into this test's variable
  EXPECT_GT(opened, 0);
  EXPECT_EQ(ticked, opened);
  EXPECT_LE(changed - ticked, opened);
  EXPECT_EQ(NewSites().size(), 2);
}

} // namespace
} // namespace vx::test
