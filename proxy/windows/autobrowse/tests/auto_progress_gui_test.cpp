// The Autobrowse Control window driving the real engine against scripted loopback sites.
#include "proxy/engine/autobrowse/autobrowse_session.h"
#include "proxy/engine/autobrowse/outbasket_mark.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/timer_scale.h"
#include "proxy/windows/autobrowse/auto_progress_form.h"
#include "proxy/windows/autobrowse/outbasket_delegate.h"
#include "support/road_fixture.h"
#include "support/scripted_origin.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

namespace ql::test {
namespace {

// A small site: a page linking three others, a page that never answers, one that trickles in
// over two seconds and one that takes fifteen.
OriginReply SmallSite(const std::string &request) {
  const std::string path = request.substr(4, request.find(' ', 4) - 4);
  if (path == "/stall.html")
    return OriginReply{{}, 0, std::chrono::milliseconds(0), true};
  if (path == "/slow.html")
    return OriginReply{HttpResponse("200 OK", "text/html", std::string(600, 'x')), 4,
                       std::chrono::milliseconds(100)};
  if (path == "/trickle.html")
    return OriginReply{HttpResponse("200 OK", "text/html", std::string(200, 'x')), 4,
                       std::chrono::milliseconds(40)};
  if (path == "/index.html")
    return {HttpResponse("200 OK", "text/html",
                         "<TITLE>Home</TITLE><A HREF=\"a.html\">a</A><A HREF=\"b.html\">b</A>"
                         "<A HREF=\"c.html\">c</A>")};
  return {HttpResponse("200 OK", "text/html", "<TITLE>" + path + "</TITLE>leaf")};
}

class AutoProgressTest : public RoadTest {
protected:
  AutoProgressTest() : site_(SmallSite) {
    AutoBrowseAtStart = false;
    OutbasketStale = false;
    Start();
    tree.AddFolder("Sites");
  }
  ~AutoProgressTest() override {
    window_.reset();
    AutoBrowseAtStart = false;
  }

  std::string Url(const std::string &path) const {
    return "http://127.0.0.1:" + std::to_string(site_.Port()) + path;
  }
  TBMInfo &Due(const QByteArray &title, const std::string &path) {
    TBMInfo &bookmark = tree.AddBookmark(title, QByteArray::fromStdString(Url(path)));
    bookmark.GetNextTime = 1;
    return bookmark;
  }
  void Open() {
    window_ = std::make_unique<TAutoProgressForm>(
        store_, *road_, TRestrictFile(dir_.filePath("program"), dir_.filePath("user")));
    window_->SetProgramEnd([this] { ++programEnds_; });
  }
  bool Log(const QString &line) const { return window_->LogLines().contains(line); }
  bool WaitForEnd(int ms = 8000) {
    return PumpUntil([&] { return !Session().Running(); }, std::chrono::milliseconds(ms));
  }

  ScriptedOrigin site_;
  std::unique_ptr<TAutoProgressForm> window_;
  int programEnds_ = 0;
};

TEST_F(AutoProgressTest, SessionRunsFromStartToItsEndThroughTheWindow) {
  Due("Home", "/index.html");
  Open();
  ASSERT_EQ(window_->Outbasket()->count(), 1);
  EXPECT_EQ(window_->Outbasket()->item(0)->text(), "Home");

  window_->StartButton()->click();
  EXPECT_TRUE(window_->StartButton()->isChecked());
  EXPECT_EQ(window_->Hint(window_->StartButton()), "Stop|Stop Autobrowsing");
  EXPECT_TRUE(window_->PauseButton()->isEnabled());
  ASSERT_TRUE(PumpUntil([&] { return window_->SkipButton()->isEnabled(); }));
  ASSERT_TRUE(WaitForEnd());

  const QStringList log = window_->LogLines();
  ASSERT_GE(log.size(), 8);
  EXPECT_TRUE(log[0].startsWith("Session started on ")) << log[0].toStdString();
  EXPECT_TRUE(log[0].contains(" - ")) << "a hyphen between date and time";
  EXPECT_EQ(log[1], "");
  EXPECT_TRUE(Log("Processing      \t: Home"));
  EXPECT_TRUE(Log("Items Retrieved\t: 4"));
  EXPECT_TRUE(log[log.size() - 2].startsWith("Session ended on "));
  EXPECT_TRUE(log.last().startsWith("Duration of Session : "));
  EXPECT_EQ(site_.RequestCount(), 4u);

  EXPECT_FALSE(window_->StartButton()->isChecked());
  EXPECT_EQ(window_->Hint(window_->StartButton()), "Start|Start Autobrowsing active items");
  EXPECT_FALSE(window_->SkipButton()->isEnabled());
  EXPECT_FALSE(window_->PauseButton()->isEnabled());
  EXPECT_EQ(window_->CounterText(0), "");
  EXPECT_EQ(window_->Outbasket()->count(), 0) << "the bookmark is no longer due";
  EXPECT_EQ(programEnds_, 0) << "only a session started with /a ends the program";
}

TEST_F(AutoProgressTest, PauseHoldsTheStepsAndSkipEndsTheBookmarkWithItsLogLine) {
  Due("Slow", "/stall.html");
  Open();
  window_->StartButton()->click();
  ASSERT_TRUE(PumpUntil(
      [&] { return Session().CurrentBookmark() != nullptr && !window_->CounterText(0).isEmpty(); }));

  window_->PauseButton()->click();
  EXPECT_EQ(window_->TransferRate(), "  Paused");
  EXPECT_EQ(window_->Hint(window_->PauseButton()), "Continue|Continue Autobrowsing");
  const QString duration = window_->CounterText(2);
  PumpUntil([] { return false; }, std::chrono::milliseconds(1200));
  EXPECT_EQ(window_->TransferRate(), "  Paused") << "no step ran while paused";
  EXPECT_EQ(window_->CounterText(2), duration);
  window_->PauseButton()->click();
  EXPECT_EQ(window_->Hint(window_->PauseButton()), "Pause|Pause Autobrowse");
  ASSERT_TRUE(PumpUntil([&] { return window_->TransferRate().endsWith(" bytes/sec"); }));

  dialogs_.Answer(DialogButton::No);
  window_->SkipButton()->click();
  EXPECT_FALSE(Log("*Download skipped by user*"));
  dialogs_.Answer(DialogButton::Yes);
  window_->SkipButton()->click();
  ASSERT_GE(dialogs_.Requests().size(), 2u);
  EXPECT_EQ(dialogs_.Requests().back().text, "Skip the current location?\n\nSlow");
  EXPECT_EQ(dialogs_.Requests().back().buttons, DialogButtons::YesNoCancel);
  EXPECT_TRUE(Log("*Download skipped by user*"));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(tree.Info(1).Hold, 1) << "a skipped bookmark is held";
}

// Paused time counts neither in the current duration nor in the duration the log gives the
// bookmark when its run ends.
TEST_F(AutoProgressTest, PausedTimeIsLeftOutOfTheLoggedDuration) {
  Due("Slow", "/slow.html");
  Open();
  window_->StartButton()->click();
  ASSERT_TRUE(PumpUntil(
      [&] { return Session().CurrentBookmark() != nullptr && !window_->CounterText(0).isEmpty(); }));
  window_->PauseButton()->click();
  PumpUntil([] { return false; }, std::chrono::milliseconds(2500));
  window_->PauseButton()->click();
  ASSERT_TRUE(PumpUntil([&] { return window_->TransferRate().endsWith(" bytes/sec"); }));
  EXPECT_TRUE(window_->CounterText(2).startsWith("00:00:00 ")) << window_->CounterText(2).toStdString();
  dialogs_.Answer(DialogButton::Yes);
  window_->SkipButton()->click();
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(Log("Duration       \t\t: 00:00:00")) << window_->LogLines().join("\n").toStdString();
}

// A Stop answered No keeps the session; Yes ends it even between bookmarks, and a session
// started with "/a" then leaves the program running.
TEST_F(AutoProgressTest, StopAsksAndEndsTheSessionEvenWithoutACurrentBookmark) {
  Due("Slow", "/stall.html");
  AutoBrowseAtStart = true;
  Open();
  window_->StartButton()->click();
  ASSERT_TRUE(Session().Running());
  ASSERT_EQ(Session().CurrentBookmark(), nullptr) << "no step has run yet";

  dialogs_.Answer(DialogButton::No);
  window_->StartButton()->click();
  EXPECT_EQ(dialogs_.Requests().back().text, "Stop Autobrowse?");
  EXPECT_TRUE(window_->StartButton()->isChecked());
  EXPECT_TRUE(Session().Running());

  dialogs_.Answer(DialogButton::Yes);
  window_->StartButton()->click();
  EXPECT_FALSE(Session().Running());
  EXPECT_FALSE(AutoBrowseAtStart);
  EXPECT_TRUE(window_->LogLines().at(window_->LogLines().size() - 2).startsWith("Session aborted on "));
  EXPECT_TRUE(window_->LogLines().last().startsWith("Duration of Session : "));
  EXPECT_FALSE(window_->PauseButton()->isEnabled());
  EXPECT_EQ(window_->Hint(window_->StartButton()), "Start|Start Autobrowsing active items");
  PumpUntil([] { return false; }, std::chrono::milliseconds(300));
  EXPECT_EQ(programEnds_, 0);
  EXPECT_EQ(site_.RequestCount(), 0u);
}

// "/a": the third tick of the start timer starts a session unless one runs, and the session's
// own end ends the program.
TEST_F(AutoProgressTest, CommandLineStartWaitsThreeTicksAndEndsTheProgram) {
  SetTimerScale(0.005);
  Due("Home", "/index.html");
  AutoBrowseAtStart = true;
  Open();
  EXPECT_TRUE(window_->AutoStartRunning());
  ASSERT_TRUE(PumpUntil([&] { return Session().Running(); }));
  EXPECT_FALSE(window_->AutoStartRunning());
  EXPECT_TRUE(window_->StartButton()->isChecked());
  ASSERT_TRUE(PumpUntil([&] { return programEnds_ > 0; }));
  EXPECT_EQ(programEnds_, 1);
  EXPECT_TRUE(window_->LogLines().last().startsWith("Duration of Session : "));
}

TEST_F(AutoProgressTest, CommandLineStartLeavesASessionTheUserStartedAlone) {
  SetTimerScale(0.005);
  Due("Slow", "/trickle.html");
  AutoBrowseAtStart = true;
  Open();
  window_->StartButton()->click();
  ASSERT_TRUE(PumpUntil([&] { return !window_->AutoStartRunning(); }));
  EXPECT_EQ(window_->LogLines().filter("Session started on ").size(), 1)
      << "the session was not started twice";
  EXPECT_TRUE(Session().Running());
  EXPECT_TRUE(Log("Processing      \t: Slow")) << "the log was not cleared by a second start";
  EXPECT_EQ(programEnds_, 0);
}

TEST_F(AutoProgressTest, OutbasketListsDueBookmarksWithTheirMarksAndHoldsSelectedOnes) {
  TBMInfo &held = tree.AddBookmark("Held", QByteArray::fromStdString(Url("/held.html")));
  held.Scheduled = 1;
  held.NextRefresh = Now() - 1;
  held.Hold = 1;
  TBMInfo &folder = tree.AddFolder("Folder marked", 2);
  folder.GetNextTime = 1;
  Due("Waiting", "/index.html");
  tree.AddBookmark("Not due", QByteArray::fromStdString(Url("/later.html")));
  Open();

  QListWidget *list = window_->Outbasket();
  ASSERT_EQ(list->count(), 2) << "the folder and the bookmark not due are left out";
  EXPECT_EQ(list->item(0)->text(), "Held");
  EXPECT_EQ(MarkOf(*window_->LineBookmark(0)), TOutbasketMark::Held);
  EXPECT_EQ(MarkOf(*window_->LineBookmark(1)), TOutbasketMark::Waiting);

  list->item(1)->setSelected(true);
  window_->SpeedButton2Click();
  EXPECT_EQ(tree.Info(3).Hold, 1);
  window_->SpeedButton4Click();
  window_->SpeedButton3Click();
  EXPECT_EQ(held.Hold, 0);
  EXPECT_EQ(tree.Info(3).Hold, 0);
  list->clearSelection();
  list->item(0)->setSelected(true);
  window_->OutbasketLBDblClick();
  EXPECT_EQ(held.Hold, 1);
  window_->OutbasketLBKeyUp();
  EXPECT_EQ(window_->UrlPanelText(), QString::fromStdString(" " + Url("/held.html")));

  // A held bookmark is not fetched.
  window_->StartButton()->click();
  ASSERT_TRUE(WaitForEnd());
  for (const std::string &request : site_.Requests())
    EXPECT_EQ(request.find("held.html"), std::string::npos);

  // The stale mark refills the list within the stale check.
  tree.Clear();
  OutbasketStale = true;
  ASSERT_TRUE(PumpUntil([&] { return list->count() == 0; }));
  EXPECT_FALSE(OutbasketStale);
}

TEST_F(AutoProgressTest, ExclusionLinesComeFromRestrictDat) {
  QDir().mkpath(dir_.filePath("program"));
  QFile file(dir_.filePath("program/restrict.dat"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("c.html\r\n\r\nAds\n");
  file.close();
  Due("Home", "/index.html");
  Open();
  EXPECT_EQ(window_->ExclusionLines(), (QList<QByteArray>{"c.html", "Ads"}));
  window_->StartButton()->click();
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(site_.RequestCount(), 3u) << "the link containing an excluded word is not followed";
}

} // namespace
} // namespace ql::test
