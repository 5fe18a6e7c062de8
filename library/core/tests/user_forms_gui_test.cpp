#include "library/core/browse_categories.h"
#include "library/core/browse_vornix.h"
#include "library/core/dictionary.h"
#include "library/core/main_frame.h"
#include "library/core/update_cat_html.h"
#include "library/core/update_categories.h"
#include "library/core/update_vornix.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/window.h"
#include "support/user_driver.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace vx {
namespace {

// The site form and its neighbours worked with the mouse and the keyboard, with real
// message boxes, in the running program.
class FormsByUser : public test::UserTest {
protected:
  void SetUp() override {
    TakeFile(Categories());
    TakeFile(VORNIX());
    ASSERT_EQ(0, test::AddCategory("Arts"));
    ASSERT_EQ(0, test::AddCategory("News"));
    ASSERT_EQ(0, test::AddSite("http://a.example/", "First", "News"));
    ReleaseFile(VORNIX());
    ReleaseFile(Categories());
  }

  // The site stored under `location` as "description/category/rating", or "" when none is.
  static QString Stored(const QString &location) {
    TakeFile(VORNIX());
    CLEAR(VORNIX());
    URL().Location = location;
    GET(VORNIX().K_Location);
    const QString found = ERRORCODE() != 0 ? QString()
                                           : URL().Description.clipped() + "/" + URL().Category.clipped() +
                                                 "/" + QString::number(URL().Rating);
    ReleaseFile(VORNIX());
    return found;
  }

  void Sql(const char *statement) {
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(QDir::current().filePath("URL_L.KYF")).constData(), &db);
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, statement, nullptr, nullptr, nullptr));
    sqlite3_close(db);
  }

  // Opens the site form from the Locations browse with a button of the browse.
  Window &OpenForm(int button, const QString &title) {
    Window &browse = user_.WaitForWindow("Browse Locations");
    user_.Click(browse, button);
    return user_.WaitForWindow(title);
  }

  // Fills a new site's first three fields from the Location field down.
  void FillNewSite(const QString &location, const QString &description) {
    user_.Type(location);
    user_.Press(Qt::Key_Tab);
    user_.Type(description);
    user_.Press(Qt::Key_Tab);
    user_.Type("N"); // the category list jumps to "News"
  }

  void Replace(const QString &text) {
    user_.Press(Qt::Key_A, Qt::ControlModifier);
    user_.Type(text);
  }
};

// After message 24, what the user types into the Location field is what the form keeps,
// checks and writes, through a resize of the form while typing, a change of tab and of field.
TEST_F(FormsByUser, ALocationCorrectedAfterTheDuplicateMessageIsTheOneWritten) {
  QString message, shownAfterTabs;
  RunProgram([&] {
    Window &form = OpenForm(kBrowseInsert, "Adding Location");
    FillNewSite("HTTP://A.EXAMPLE/", "Second");
    user_.Click(form, kUpdateOk);
    message = user_.Answer("OK");
    user_.Until([&] { return user_.HasFocus(form, kUpdateLocation); });
    Replace("http://b.example/");
    form.Outer()->resize(form.Outer()->size() + QSize(40, 20)); // the user drags the border
    user_.Settle();
    user_.ClickTab(form, kUpdateSheet, 2);
    user_.ClickTab(form, kUpdateSheet, 1);
    user_.Click(form, kUpdateDescription);
    shownAfterTabs = form.Find(kUpdateLocation)->Text();
    user_.Click(form, kUpdateOk);
    user_.Until([&] { return user_.Closed(&form); });
  });
  EXPECT_EQ("Adding this record creates a duplicate entry for the key:Site Location", message);
  EXPECT_EQ("http://b.example/", shownAfterTabs);
  EXPECT_EQ("Second/News/0", Stored("http://b.example/"));
  EXPECT_EQ("First/News/0", Stored("http://a.example/"));
}

// After messages 15 and 16 answered Cancel, the keyboard is back in the form: the focus is
// on the Location field, Tab moves to the next field, typing goes into it and Alt+O presses
// OK, which writes what was typed.
TEST_F(FormsByUser, KeyboardWorksInTheFormAfterAFailedChangeIsAnsweredCancel) {
  Sql("CREATE TRIGGER refuse BEFORE UPDATE ON records BEGIN SELECT RAISE(ABORT, 'refused'); END");
  QStringList messages;
  bool focusBack = false, tabMoved = false;
  RunProgram([&] {
    Window &form = OpenForm(kBrowseChange, "Changing Location");
    user_.Press(Qt::Key_Tab);
    Replace("Edited");
    user_.Click(form, kUpdateOk);
    messages << user_.Answer("OK") << user_.Answer("Cancel");
    user_.Until([&] { return user_.HasFocus(form, kUpdateLocation); });
    focusBack = user_.HasFocus(form, kUpdateLocation);
    user_.Press(Qt::Key_Tab);
    tabMoved = user_.HasFocus(form, kUpdateDescription);
    Replace("Fixed");
    Sql("DROP TRIGGER refuse");
    user_.Press(Qt::Key_O, Qt::AltModifier);
    user_.Until([&] { return user_.Closed(&form); });
  });
  ASSERT_EQ(2, messages.size());
  EXPECT_TRUE(messages[1].startsWith("An error was experienced changing this record."));
  EXPECT_TRUE(focusBack);
  EXPECT_TRUE(tabMoved);
  EXPECT_EQ("Fixed/News/0", Stored("http://a.example/"));
}

// Prompts show their mnemonic instead of an "&", and Alt with its letter puts the focus on
// the control after the prompt, in the site form and in the category form.
TEST_F(FormsByUser, PromptMnemonicsMoveTheFocusToTheirFields) {
  QStringList prompts;
  std::vector<bool> reached;
  RunProgram([&] {
    Window &form = OpenForm(kBrowseInsert, "Adding Location");
    for (int prompt : {kUpdateLocationPrompt, kUpdateDescriptionPrompt, kUpdateCategoryPrompt,
                       kUpdateRatingPrompt, kUpdateKeywordPrompt}) {
      auto *label = static_cast<QLabel *>(form.Find(prompt)->Widget());
      prompts << label->text();
      reached.push_back(label->buddy() == form.Find(prompt + 1)->Widget());
    }
    for (auto [key, field] : {std::pair{Qt::Key_D, kUpdateDescription},
                              {Qt::Key_K, kUpdateKeyword},
                              {Qt::Key_R, kUpdateRating},
                              {Qt::Key_L, kUpdateLocation}}) {
      user_.Press(key, Qt::AltModifier);
      reached.push_back(user_.HasFocus(form, field));
    }
    EXPECT_EQ("", form.Find(kUpdateLocation)->Text()); // no letter was typed
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&form); });

    Window::Frame()->Get<MenuItemControl>(kMenuBrowseCategories).Choose();
    Window &categories = user_.WaitForWindow("Browse Categories");
    user_.Click(categories, kCategoriesInsert);
    Window &category = user_.WaitForWindow("Category Will Be Added");
    user_.Press(Qt::Key_D, Qt::AltModifier);
    reached.push_back(user_.HasFocus(category, kCatDescription));
    user_.Press(Qt::Key_C, Qt::AltModifier);
    reached.push_back(user_.HasFocus(category, kCatName));
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&category); });
  });
  EXPECT_EQ(QStringList({"&Location:", "&Description:", "&Category:", "&Rating:", "&Keyword:"}), prompts);
  EXPECT_EQ(std::vector<bool>(11, true), reached);
}

// Enter presses the default button except in a multi-line text, where it breaks the line;
// Escape cancels: in the site form and in Select Category.
TEST_F(FormsByUser, EnterPressesTheDefaultButtonAndEscapeCancels) {
  QString siteInfo;
  bool escapeClosed = false;
  RunProgram([&] {
    Window &cancelled = OpenForm(kBrowseInsert, "Adding Location");
    user_.Type("http://gone.example/");
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&cancelled); });
    escapeClosed = true;

    Window &form = OpenForm(kBrowseInsert, "Adding Location");
    FillNewSite("http://c.example/", "Third");
    user_.ClickTab(form, kUpdateSheet, 2);
    user_.Click(form, kUpdateSiteInfo);
    user_.Type("one");
    user_.Press(Qt::Key_Return);
    user_.Type("two");
    siteInfo = static_cast<QPlainTextEdit *>(form.Find(kUpdateSiteInfo)->Widget())->toPlainText();
    user_.ClickTab(form, kUpdateSheet, 1);
    user_.Click(form, kUpdateKeyword);
    user_.Press(Qt::Key_Return);
    user_.Until([&] { return user_.Closed(&form); });

    Window &browse = user_.WaitForWindow("Browse Locations");
    const ListControl &sites = browse.Get<ListControl>(kBrowseList);
    user_.ClickTab(browse, kBrowseSheet, 3);
    user_.Click(browse, kBrowseSelectCategory);
    Window &select = user_.WaitForWindow("Select Category");
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&select); });
    user_.Click(browse, kBrowseSelectCategory);
    Window &again = user_.WaitForWindow("Select Category");
    user_.Press(Qt::Key_Home); // the first row, "Arts", which has no sites
    user_.Press(Qt::Key_Return);
    user_.Until([&] { return user_.Closed(&again) && sites.RowCount() == 0; });
  });
  EXPECT_TRUE(escapeClosed);
  EXPECT_EQ("", Stored("http://gone.example/"));
  EXPECT_EQ("one\ntwo", siteInfo);
  EXPECT_EQ("Third/News/0", Stored("http://c.example/"));
}

// The Rating takes digits only, two at most: a letter, a sign or a third digit is not typed,
// so that what the field shows is what OK writes, also straight from the field.
TEST_F(FormsByUser, RatingTakesTwoDigitsOnly) {
  QStringList shown;
  RunProgram([&] {
    Window &form = OpenForm(kBrowseInsert, "Adding Location");
    FillNewSite("http://d.example/", "Fourth");
    user_.Press(Qt::Key_Tab);
    for (const char *typed : {"150", "ab", "-7x"}) {
      Replace(typed);
      shown << form.Find(kUpdateRating)->Text();
    }
    user_.Press(Qt::Key_O, Qt::AltModifier);
    user_.Until([&] { return user_.Closed(&form); });
  });
  EXPECT_EQ(QStringList({"15", "15", "7"}), shown);
  EXPECT_EQ("Fourth/News/7", Stored("http://d.example/"));
}

// A new snippet's type group is one Tab stop, at the chosen type: one Tab from it reaches the
// HTML text, where the typed snippet goes whole, its blank included, and Shift+Tab comes back
// to the chosen type, where the arrow keys choose the next and the previous type, going round.
TEST_F(FormsByUser, TheSnippetTypeIsOneTabStopWhoseArrowsChooseTheType) {
  QString typedText;
  std::vector<bool> focus;
  QStringList chosen;
  RunProgram([&] {
    Window::Frame()->Get<MenuItemControl>(kMenuBrowseCategories).Choose();
    Window &categories = user_.WaitForWindow("Browse Categories");
    user_.Click(categories, kCategoriesChange);
    Window &category = user_.WaitForWindow("Category Will Be Changed");
    user_.ClickTab(category, kCatSheet, 2);
    user_.Click(category, kCatHtmlInsert);
    Window &snippet = user_.WaitForWindow("Adding HTML");
    focus.push_back(user_.HasFocus(snippet, kCatHtmlBeforeCategory));
    user_.Press(Qt::Key_Tab);
    focus.push_back(user_.HasFocus(snippet, kCatHtmlText));
    user_.Type("<b>Hi there</b>");
    typedText = snippet.Find(kCatHtmlText)->Text();
    user_.Press(Qt::Key_Tab, Qt::ShiftModifier);
    focus.push_back(user_.HasFocus(snippet, kCatHtmlBeforeCategory));
    const auto choice = [&] {
      chosen << snippet.Find(kCatHtmlTypeGroup)->Text() + ":" +
                    QString::number(snippet.Get<OptionControl>(kCatHtmlTypeGroup).Choice());
    };
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Up, Qt::Key_Left}) {
      user_.Press(key);
      choice();
    }
    focus.push_back(user_.HasFocus(snippet, kCatHtmlAfterCategory));
    user_.Press(Qt::Key_O, Qt::AltModifier);
    user_.Until([&] { return user_.Closed(&snippet); }, "OK saving the snippet");
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&category); });
  });
  EXPECT_EQ("<b>Hi there</b>", typedText);
  EXPECT_EQ(std::vector<bool>(4, true), focus);
  EXPECT_EQ(QStringList({"Type Of HTML:3", "Type Of HTML:2", "Type Of HTML:1", "Type Of HTML:5"}), chosen);
  TakeFile(CatHTML());
  SET(CatHTML());
  NEXT(CatHTML());
  EXPECT_EQ("Arts/After Category/<b>Hi there</b>",
            HTM().Category.clipped() + "/" + HTM().TypeOfHTML.clipped() + "/" + HTM().HTMLtoAdd.text());
  ReleaseFile(CatHTML());
}

// Ctrl+Tab and Ctrl+PgDn turn a form's sheet to its next tab, Ctrl+Shift+Tab and Ctrl+PgUp
// to the previous one, going round, with the keyboard on the new tab's first field; Tab in a
// memo moves on to the next control instead of typing a tab.
TEST_F(FormsByUser, CtrlTabTurnsTheTabsAndTabLeavesAMemo) {
  QStringList seen; // "tab:field with the keyboard"
  QString siteInfo;
  RunProgram([&] {
    Window &form = OpenForm(kBrowseInsert, "Adding Location");
    const auto note = [&](std::initializer_list<int> fields) {
      QString at = QString::number(form.Get<SheetControl>(kUpdateSheet).Choice()) + ":";
      for (int field : fields) {
        if (user_.HasFocus(form, field))
          at += QString::number(field);
      }
      seen << at;
    };
    user_.Type("http://e.example/");
    user_.Press(Qt::Key_Tab, Qt::ControlModifier);
    note({kUpdateLocation, kUpdateSiteInfo});
    user_.Type("one");
    user_.Press(Qt::Key_Tab);
    siteInfo = form.Find(kUpdateSiteInfo)->Text();
    note({kUpdateSiteInfo, kUpdateOk});
    user_.Press(Qt::Key_Tab, Qt::ShiftModifier);
    user_.Press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    note({kUpdateLocation});
    user_.Press(Qt::Key_Tab, Qt::ControlModifier);
    note({kUpdateSiteInfo});
    user_.Press(Qt::Key_PageDown, Qt::ControlModifier); // round to the first tab
    note({kUpdateLocation});
    user_.Press(Qt::Key_PageUp, Qt::ControlModifier);
    note({kUpdateSiteInfo});
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&form); });
  });
  EXPECT_EQ("one", siteInfo);
  const QString location = QString::number(kUpdateLocation), memo = QString::number(kUpdateSiteInfo);
  EXPECT_EQ(QStringList({"2:" + memo, "2:" + QString::number(kUpdateOk), "1:" + location, "2:" + memo,
                         "1:" + location, "2:" + memo}),
            seen);
}

} // namespace
} // namespace vx
