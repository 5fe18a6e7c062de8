#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/update_cat_html.h"
#include "library/core/update_categories.h"
#include "library/core/update_vornix.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/form_driver.h"

#include <QDir>
#include <QFile>
#include <QWidget>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace vx {
namespace {

using test::RunWithScript;
using test::WaitFor;
using test::WaitForWindow;

// Every record of the three files, one a line, in key order: categories as
// "name:description", snippets as "category/type", sites as "category/description".
QString Files() {
  QStringList rows;
  SET(Categories().K_Category);
  for (NEXT(Categories()); ERRORCODE() == 0; NEXT(Categories()))
    rows << "C " + CAT().Category.clipped() + ":" + CAT().Description.clipped();
  SET(CatHTML().KeyCategoryHTML);
  for (NEXT(CatHTML()); ERRORCODE() == 0; NEXT(CatHTML()))
    rows << "H " + HTM().Category.clipped() + "/" + HTM().TypeOfHTML.clipped();
  SET(VORNIX().K_Location);
  for (NEXT(VORNIX()); ERRORCODE() == 0; NEXT(VORNIX()))
    rows << "S " + URL().Category.clipped() + "/" + URL().Description.clipped();
  return rows.join('\n');
}

// Calls the category form on the running thread as the category browse does: the category
// read for a change or delete, a cleared record for an insert.
int CallForm(int request, const QString &name) {
  TakeFile(Categories());
  CLEAR(Categories());
  CAT().Description.clear();
  GET(Categories(), 0);
  if (request != 1) {
    CAT().Category = name;
    GET(Categories().K_Category);
  }
  ReleaseFile(Categories());
  GlobalRequest = request;
  UpdateCategories();
  return GlobalResponse;
}

// Simulates the user's entry into a field: the text and its Accepted.
void Type(Window &form, int control, const QString &text) {
  form.Find(control)->SetText(text);
  form.Find(control)->Update();
  form.Post(EventKind::Accepted, control);
}

// Shows a tab of the form's sheet as a click on it does.
void ShowTab(Window &form, int tab) {
  form.Get<SheetControl>(kCatSheet).SetChoice(tab);
  form.Post(EventKind::NewSelection, kCatSheet);
}

QStringList Rows(Window &form, int list) {
  QStringList rows;
  auto &control = form.Get<ListControl>(list);
  for (int row = 1; row <= control.RowCount(); ++row)
    rows << control.Row(row).join('|');
  return rows;
}

class UpdateCategoriesTest : public test::FormTest {
protected:
  void SetUp() override {
    TakeAll();
    HTM().HTMLtoAdd.clear();
    URL().SiteInfo.clear();
    CAT().Description.clear();
    for (const char *name : {"News", "Other"})
      ASSERT_EQ(0, test::AddCategory(name));
    ASSERT_EQ(0, test::AddSnippet("News", "After Category"));
    ASSERT_EQ(0, test::AddSnippet("News", "Before Category"));
    ASSERT_EQ(0, test::AddSnippet("Other", "Replace Title"));
    ASSERT_EQ(0, test::AddSite("http://a/", "a", "News"));
    ASSERT_EQ(0, test::AddSite("http://b/", "b", "news"));
    ASSERT_EQ(0, test::AddSite("http://x/", "x", "Other"));
  }

  QString Captions() const {
    QStringList captions;
    for (const MessageRequest &r : shown_)
      captions << r.caption;
    return captions.join('|');
  }

  // Renames `from` to `to` on the form and presses OK; returns the form's response.
  int Rename(const QString &from, const QString &to) {
    int response = 0;
    RunWithScript([&] { response = CallForm(2, from); },
                  [&](int thread) {
                    Window &form = WaitForWindow(thread, "Category Will Be Changed");
                    Type(form, kCatName, to);
                    form.Get<ButtonControl>(kCatOk).Press();
                  });
    return response;
  }

  int Exec(const char *file, const char *sql) {
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(QDir::current().filePath(file)).constData(), &db);
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
  }
};

TEST_F(UpdateCategoriesTest, RenamesMoveTheCategorysSnippetsAndSites) {
  EXPECT_EQ(1, Rename("News", "Daily News"));
  EXPECT_EQ("C Daily News:\nC Other:\n"
            "H Daily News/After Category\nH Daily News/Before Category\nH Other/Replace Title\n"
            "S Daily News/a\nS Daily News/b\nS Other/x",
            Files());
  EXPECT_EQ(1, Rename("Daily News", "Zeta"));
  EXPECT_EQ("C Other:\nC Zeta:\n"
            "H Other/Replace Title\nH Zeta/After Category\nH Zeta/Before Category\n"
            "S Zeta/a\nS Zeta/b\nS Other/x",
            Files());
  EXPECT_EQ("", Captions());
  EXPECT_EQ(1, Categories().useCount); // the form gave back its uses
  EXPECT_EQ(1, VORNIX().useCount);
  EXPECT_EQ(1, CatHTML().useCount);
}

TEST_F(UpdateCategoriesTest, RenameToAnExistingNameIsRefusedAndChangesNothing) {
  const QString before = Files();
  int response = 0;
  RunWithScript([&] { response = CallForm(2, "News"); },
                [&](int thread) {
                  Window &form = WaitForWindow(thread, "Category Will Be Changed");
                  Type(form, kCatName, "OTHER");
                  form.Get<ButtonControl>(kCatOk).Press();
                  WaitFor([&] { return !shown_.empty(); });
                  EXPECT_EQ("OTHER", form.Find(kCatName)->Text()); // the form stays open
                  form.Get<ButtonControl>(kCatCancel).Press();
                });
  EXPECT_EQ("Duplicate Key Error", Captions());
  EXPECT_EQ("Adding this record creates a duplicate entry for the key:Category", shown_[0].text);
  EXPECT_EQ(2, response);
  EXPECT_EQ(before, Files());
}

TEST_F(UpdateCategoriesTest, InsertOfAnExistingNameShowsTheDuplicateAndKeepsTheForm) {
  int response = 0;
  RunWithScript([&] { response = CallForm(1, {}); },
                [&](int thread) {
                  Window &form = WaitForWindow(thread, "Category Will Be Added");
                  Type(form, kCatName, "News");
                  form.Find(kCatDescription)->SetText("kept");
                  form.Get<ButtonControl>(kCatOk).Press();
                  WaitFor([&] { return !shown_.empty(); });
                  EXPECT_EQ("kept", form.Find(kCatDescription)->Text());
                  Type(form, kCatName, "Sport");
                  form.Get<ButtonControl>(kCatOk).Press();
                });
  EXPECT_EQ("Duplicate Key Error", Captions());
  EXPECT_EQ(1, response);
  EXPECT_TRUE(Files().startsWith("C News:\nC Other:\nC Sport:kept\n"));
}

TEST_F(UpdateCategoriesTest, DeleteTakesSnippetsAndSitesOrLeavesAllThreeFilesOnFailure) {
  ASSERT_EQ(0, test::AddSite("http://c/", "c", "News"));
  const QString before = Files();
  ASSERT_EQ(SQLITE_OK, Exec("URL_L.KYF", "CREATE TRIGGER refuse BEFORE DELETE ON records WHEN "
                                         "old.Description = 'c' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
  answers_ = {BUTTON_OK, BUTTON_OK, BUTTON_NO}; // confirm, the failure, no retry
  int response = 0;
  RunWithScript([&] { response = CallForm(3, "News"); }, [](int) {});
  EXPECT_EQ("Confirm Delete|Delete Operation Error|Record Update Error", Captions());
  EXPECT_EQ(2, response);
  EXPECT_EQ(before, Files()); // the snippets and site "a" deleted before the failure are back

  ASSERT_EQ(SQLITE_OK, Exec("URL_L.KYF", "DROP TRIGGER refuse"));
  shown_.clear();
  answers_ = {BUTTON_OK};
  RunWithScript([&] { response = CallForm(3, "News"); }, [](int) {});
  EXPECT_EQ(1, response);
  EXPECT_EQ("C Other:\nH Other/Replace Title\nS Other/x", Files()); // "news/b" went with "News"

  answers_ = {BUTTON_CANCEL};
  RunWithScript([&] { response = CallForm(3, "Other"); }, [](int) {});
  EXPECT_EQ(2, response);
  EXPECT_EQ("C Other:\nH Other/Replace Title\nS Other/x", Files());
}

TEST_F(UpdateCategoriesTest, TwoFormsOpenAtOnceEachRenameOnlyTheirOwnCategorysChildren) {
  int first = 0, second = 0;
  const int a = START([&] { first = CallForm(2, "News"); });
  const int b = START([&] { second = CallForm(2, "Other"); });
  START([&] {
    Window &news = WaitForWindow(a, "Category Will Be Changed");
    Window &other = WaitForWindow(b, "Category Will Be Changed");
    Type(other, kCatName, "Misc");
    other.Get<ButtonControl>(kCatOk).Press();
    test::WaitForEnd(b);
    Type(news, kCatName, "Daily News");
    news.Get<ButtonControl>(kCatOk).Press();
  });
  test::RunAllThreads();
  EXPECT_EQ(1, first);
  EXPECT_EQ(1, second);
  EXPECT_EQ("C Daily News:\nC Misc:\n"
            "H Daily News/After Category\nH Daily News/Before Category\nH Misc/Replace Title\n"
            "S Daily News/a\nS Daily News/b\nS Misc/x",
            Files());
}

TEST_F(UpdateCategoriesTest, ListsFollowTheTypedNameAndASiteEditKeepsTheUnsavedCategory) {
  int response = 0;
  QStringList sitesOfNews, snippetsOfNews, sitesOfOther;
  RunWithScript([&] { response = CallForm(2, "News"); },
                [&](int thread) {
                  Window &form = WaitForWindow(thread, "Category Will Be Changed");
                  WaitFor([&] { return form.Get<ListControl>(kCatSiteList).RowCount() == 2; });
                  sitesOfNews = Rows(form, kCatSiteList);
                  snippetsOfNews = Rows(form, kCatHtmlList);
                  Type(form, kCatName, "other");
                  ShowTab(form, 3);
                  WaitFor([&] { return form.Get<ListControl>(kCatSiteList).RowCount() == 1; });
                  sitesOfOther = Rows(form, kCatSiteList);
                  Type(form, kCatName, "News");
                  ShowTab(form, 1);
                  WaitFor([&] { return form.Get<ListControl>(kCatSiteList).RowCount() == 2; });
                  form.Find(kCatDescription)->SetText("unsaved description");
                  ShowTab(form, 3);
                  form.Get<ListControl>(kCatSiteList).SetSelectedRow(1);
                  form.Get<ButtonControl>(kCatSiteChange).Press();
                  Window &site = WaitForWindow(thread, "Changing Location");
                  Type(site, kUpdateDescription, "a2");
                  site.Get<ButtonControl>(kUpdateOk).Press();
                  WaitFor([&] { return Window::ActiveOf(thread) == &form; });
                  WaitFor([&] { return Rows(form, kCatSiteList).join(' ').contains("a2"); });
                  EXPECT_EQ("News", form.Find(kCatName)->Text());
                  EXPECT_EQ("unsaved description", form.Find(kCatDescription)->Text());
                  form.Get<ButtonControl>(kCatOk).Press();
                });
  EXPECT_EQ((QStringList{"a|http://a/", "b|http://b/"}), sitesOfNews);
  EXPECT_EQ((QStringList{"After Category", "Before Category"}), snippetsOfNews);
  EXPECT_EQ(QStringList{"x|http://x/"}, sitesOfOther);
  EXPECT_EQ(1, response);
  EXPECT_TRUE(Files().startsWith("C News:unsaved description\nC Other:\nH News/After Category\n"))
      << Files().toStdString();
  EXPECT_EQ("", Captions());
}

TEST_F(UpdateCategoriesTest, ASnippetAddedOnTheFormTakesTheTypedNameAndStaysAfterCancel) {
  int response = 0;
  RunWithScript([&] { response = CallForm(1, {}); },
                [&](int thread) {
                  Window &form = WaitForWindow(thread, "Category Will Be Added");
                  Type(form, kCatName, "Sport");
                  ShowTab(form, 2);
                  WaitFor([&] { return !form.Find(kCatHtmlChange)->IsEnabled(); }); // no snippets yet
                  form.Get<ButtonControl>(kCatHtmlInsert).Press();
                  Window &snippet = WaitForWindow(thread, "Adding HTML");
                  snippet.Find(kCatHtmlText)->SetText("<hr>");
                  snippet.Get<ButtonControl>(kCatHtmlOk).Press();
                  WaitFor([&] { return form.Get<ListControl>(kCatHtmlList).RowCount() == 1; });
                  EXPECT_EQ("Sport", form.Find(kCatName)->Text());
                  form.Get<ButtonControl>(kCatCancel).Press();
                });
  EXPECT_EQ(2, response);
  EXPECT_FALSE(Files().contains("C Sport"));
  EXPECT_TRUE(Files().contains("H Sport/Before Category"));
}

// The form opens on its first tab, and each tab shows its own controls only.
TEST_F(UpdateCategoriesTest, EachTabShowsItsOwnControls) {
  ASSERT_EQ(0, test::AddSnippet("News", "Replace Title"));
  std::vector<std::vector<bool>> shown;
  int openedOn = 0;
  RunWithScript([] { CallForm(2, "News"); },
                [&](int thread) {
                  Window &form = WaitForWindow(thread, "Category Will Be Changed");
                  form.Find(kCatDescription)->SetText("Papers and wires");
                  WaitFor([&] { return form.Get<ListControl>(kCatSiteList).RowCount() == 2; });
                  openedOn = form.Get<SheetControl>(kCatSheet).Choice();
                  for (int tab = 1; tab <= 3; ++tab) {
                    ShowTab(form, tab);
                    WaitFor([&] { return form.Get<SheetControl>(kCatSheet).Choice() == tab; });
                    shown.push_back({form.Find(kCatDescription)->Widget()->isVisibleTo(form.ClientArea()),
                                     form.Find(kCatHtmlList)->Widget()->isVisibleTo(form.ClientArea()),
                                     form.Find(kCatSiteList)->Widget()->isVisibleTo(form.ClientArea())});
                  }
                  form.Get<ButtonControl>(kCatCancel).Press();
                });
  const std::vector<std::vector<bool>> expected = {
      {true, false, false}, {false, true, false}, {false, false, true}};
  EXPECT_EQ(expected, shown);
  EXPECT_EQ(1, openedOn); // the form opens on "General"
}

} // namespace
} // namespace vx
