#include "proxy/engine/autobrowse/outbasket_mark.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"
#include "proxy/platform/dialog_sink.h"
#include "proxy/windows/bookmarks/info_form.h"
#include "proxy/windows/bookmarks/node_prop_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace ql {
namespace {

// Monday 7 December 2026, 10:00.
const TDateTime kMonday = static_cast<double>(QDate(1899, 12, 30).daysTo(QDate(2026, 12, 7))) + 10.0 / 24;

class NodePropFormTest : public ::testing::Test {
protected:
  NodePropFormTest() {
    form_.SetClock([] { return kMonday; });
    auto info = std::make_unique<TBMInfo>(kMonday);
    info->Title = "Caf\xe9 news"; // Latin-1 bytes of an earlier version's file
    info->URL = "http://cafe.example/";
    info->UserName = "me";
    bookmark_ = tree_.Append(nullptr, std::move(info));
  }

  template <typename W> W *Field(const char *name) { return form_.findChild<W *>(QLatin1String(name)); }
  QLineEdit *Edit(const char *name) { return Field<QLineEdit>(name); }
  QStringList Messages() const {
    QStringList texts;
    for (const DialogRequest &request : dialogs_.Requests())
      texts << request.text;
    return texts;
  }

  RecordingDialogSink dialogs_;
  TBookmarkOutline tree_;
  TBookmarkNode *bookmark_;
  TNodePropForm form_;
};

TEST_F(NodePropFormTest, LimitsAreCheckedInOrderAndStoredInBytes) {
  form_.SetBookmark(bookmark_, false);
  // Days and weeks are chosen from their lists, never typed.
  EXPECT_FALSE(Field<QComboBox>("DaysFCB")->isEditable());
  EXPECT_FALSE(Field<QComboBox>("WeeksFCB")->isEditable());
  EXPECT_EQ(Edit("SizeLimitEdit")->text(), "5.0");
  EXPECT_EQ(Edit("TimeLimitEdit")->text(), "60");

  const std::vector<std::pair<const char *, const char *>> steps = {
      {"SizeLimitEdit", "1.."}, {"SizeLimitEdit", "0.1"}, {"TimeLimitEdit", "1"}, {"MaxFileSizeEdit", "1"},
      {"SizeLimitEdit", "0.2"}, {"MaxFileSizeEdit", "5"}, {"TimeLimitEdit", "2"}, {"MaxFileSizeEdit", "10"}};
  Edit("SizeLimitEdit")->clear();
  Edit("TimeLimitEdit")->clear();
  Edit("MaxFileSizeEdit")->clear();
  for (const auto &[name, value] : steps) {
    form_.OKButtonClick();
    EXPECT_EQ(Field<QTabWidget>("Pages")->currentIndex(), 1);
    Edit(name)->setText(QLatin1String(value));
  }
  form_.OKButtonClick();
  EXPECT_EQ(
      Messages(),
      QStringList({"Please enter a Size Limit value.", "Please enter a Size Limit value.",
                   "Please enter a Time Limit value.", "Please enter a Maximum File Size value.",
                   "Size Limit must be at least 0.2Mb.", "Maximum File Size must be at least 2Kb.",
                   "Time limit must be at least 2 minutes.", "Maximum filesize must be at least 10 Kb."}));
  EXPECT_EQ(form_.result(), QDialog::Accepted);
  const TBMInfo &info = bookmark_->Info();
  EXPECT_EQ(info.SizeLimit, 209715);
  EXPECT_EQ(info.TimeLimit, 120000);
  EXPECT_EQ(info.MaxItemSize, 10240);
  // Only edited texts are written back: the Latin-1 title keeps its bytes.
  EXPECT_EQ(info.Title, "Caf\xe9 news");
  EXPECT_EQ(info.UserName, "me");

  form_.SetBookmark(bookmark_, false);
  Edit("SizeLimitEdit")->setText("1.5");
  form_.OKButtonClick();
  EXPECT_EQ(bookmark_->Info().SizeLimit, 1572864);
}

TEST_F(NodePropFormTest, OkKeepsWhatAnAutobrowseRunChangedMeanwhile) {
  bookmark_->Info().Scheduled = 1;
  bookmark_->Info().NextRefresh = kMonday - 2;
  form_.SetBookmark(bookmark_, false);
  // A run completes while the dialog is open.
  TBMInfo &live = bookmark_->Info();
  live.Generation = 7;
  live.LastVisit = kMonday;
  live.NextRefresh = std::floor(kMonday) + 1;
  Field<QPlainTextEdit>("CommentsMemo")->setPlainText("Read on Mondays");
  OutbasketStale = false;
  form_.OKButtonClick();
  EXPECT_EQ(live.Generation, 7);
  EXPECT_EQ(live.LastVisit, kMonday);
  EXPECT_EQ(live.NextRefresh, std::floor(kMonday) + 1);
  EXPECT_EQ(live.Comments, "Read on Mondays");
  EXPECT_EQ(live.Title, "Caf\xe9 news");
  EXPECT_TRUE(OutbasketStale);

  // A schedule the user changed in the dialog wins over the run's date.
  form_.SetBookmark(bookmark_, false);
  live.NextRefresh = std::floor(kMonday) + 3;
  Field<QComboBox>("DaysFCB")->setCurrentIndex(4);
  form_.OKButtonClick();
  EXPECT_EQ(live.NextRefresh, std::floor(kMonday) + 5);
  EXPECT_EQ(live.Days, 5);
}

TEST_F(NodePropFormTest, NewBookmarksGetTheirNextDateAndFoldersNoUrl) {
  auto folder = std::make_unique<TBMInfo>(kMonday);
  folder->Folder = 1;
  folder->Title = "Folder";
  TBookmarkNode *node = tree_.Append(nullptr, std::move(folder));
  form_.SetBookmark(node, true);
  EXPECT_FALSE(Edit("URLEdit")->isEnabled());
  EXPECT_TRUE(Field<QWidget>("OKButton")->isEnabled());

  form_.SetBookmark(bookmark_, true);
  Field<QCheckBox>("EnabledCheckBox")->setChecked(true);
  Field<QComboBox>("RefreshFCB")->setCurrentIndex(1);
  Field<QComboBox>("DayOfWeekFCB")->setCurrentIndex(1); // Monday, today
  Field<QComboBox>("WeeksFCB")->setCurrentIndex(0);
  EXPECT_EQ(form_.WorkingCopy().NextRefresh, std::floor(kMonday) + 7);
  Field<QCheckBox>("ProcessNextTimeCB")->setChecked(true);
  EXPECT_EQ(Edit("NextSchedEdit")->text(), "Next Autobrowse");
  Field<QCheckBox>("EnabledCheckBox")->setChecked(false);
  Field<QCheckBox>("ProcessNextTimeCB")->setChecked(false);
  EXPECT_EQ(Edit("NextSchedEdit")->text(), "Not scheduled");

  // An empty URL, or a bookmark Autobrowse is fetching, keeps OK disabled.
  Edit("URLEdit")->selectAll();
  QTest::keyClick(Edit("URLEdit"), Qt::Key_Backspace);
  EXPECT_EQ(Edit("URLEdit")->text(), "");
  EXPECT_FALSE(Field<QWidget>("OKButton")->isEnabled());
  bookmark_->Info().Locked = 1;
  form_.SetBookmark(bookmark_, false);
  EXPECT_FALSE(Field<QWidget>("OKButton")->isEnabled());
  EXPECT_TRUE(form_.Locked());
  bookmark_->Info().Locked = 0;
  form_.LockTimerTimer();
  EXPECT_TRUE(Field<QWidget>("OKButton")->isEnabled());
}

TEST_F(NodePropFormTest, TheInformationWindowExplainsTheSettings) {
  TInfoForm info;
  form_.SetInfoForm(&info);
  bookmark_->Info().Scheduled = 1;
  bookmark_->Info().IntervalKind = EveryNWeeks;
  bookmark_->Info().Weeks = 2;
  bookmark_->Info().Weekday = 3;
  bookmark_->Info().Depth = 2;
  form_.SetBookmark(bookmark_, false);
  QTimer::singleShot(0, &info, [&info] { info.accept(); });
  form_.InfoButtonClick();
  EXPECT_EQ(info.Text(),
            QStringLiteral("Title:\tCafé news\nURL:\thttp://cafe.example/\n"
                           "This bookmark is scheduled to be Autobrowsed every 2 weeks on Wednesday.\n"
                           "The first page and pages 2 links deep will be retrieved.\n"
                           "Only links within 'cafe.example' will be followed."));
}

// Every label's underlined letter leads to its field; none shows its "&".
TEST_F(NodePropFormTest, LabelsLeadToTheirFields) {
  form_.SetBookmark(bookmark_, false);
  form_.show();
  form_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form_));
  for (const QLabel *label : form_.findChildren<QLabel *>()) {
    if (label->text().contains(QLatin1Char('&'))) {
      EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
    }
  }
  Field<QTabWidget>("Pages")->setCurrentIndex(1);
  QTest::keyClick(&form_, Qt::Key_F, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), Field<QPlainTextEdit>("KillMemo"));
}

// The frequency boxes stay on the line of their "Retrieve every" label, whatever height the
// window manager gives the dialog.
TEST_F(NodePropFormTest, TheFrequencyBoxesStayOnTheirLabelsLine) {
  form_.SetBookmark(bookmark_, false);
  form_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_));
  QLabel *label = nullptr;
  for (QLabel *each : form_.findChildren<QLabel *>()) {
    if (each->text() == "Retrieve every")
      label = each;
  }
  ASSERT_NE(label, nullptr);
  const auto middle = [](const QWidget *widget) { return widget->mapToGlobal(widget->rect().center()).y(); };
  for (const int extra : {0, 300}) {
    form_.resize(form_.width(), form_.sizeHint().height() + extra);
    for (const char *kind : {"Days", "Weeks"}) {
      Field<QComboBox>("RefreshFCB")->setCurrentText(kind);
      QApplication::processEvents();
      for (const char *box : {"RefreshFCB", "DaysFCB", "WeeksFCB", "DayOfWeekFCB"}) {
        const QWidget *field = Field<QComboBox>(box);
        if (field->isVisible()) {
          EXPECT_NEAR(middle(field), middle(label), 4) << box << " with " << extra << " pixels more";
        }
      }
    }
  }
}

} // namespace
} // namespace ql
