// The category question of an import that asks for each site, answered by a script as a
// user would: the best guess, a category picked from the list, a category added on the
// spot, and the window closed.

#include "library/core/dictionary.h"
#include "library/exchange/import/ask_category.h"
#include "library/exchange/import/update_categories_no_mdi.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/window.h"
#include "support/browse_driver.h"
#include "support/form_driver.h"
#include "support/import_fixture.h"
#include "support/print_qstring.h"

#include <gtest/gtest.h>

namespace vx::test {
namespace {

class AskCategoryTest : public FormTest {
protected:
  AskCategoryTest() {
    TakeAll();
    for (const char *name : {"Arts", "News", "_Before All", "_AFTER ALL"})
      EXPECT_EQ(AddCategory(name), 0);
    EXPECT_EQ(AddSite("http://stored.example/", "Stored", "News"), 0);
  }

  // Waits for the question about the site at `location`, its list filled.
  static Window &WaitForQuestion(int thread, const QString &location) {
    WaitFor([&] {
      Window *window = Window::ActiveOf(thread);
      return window && window->IsOpen() && window->Title() == "Category Assignment" &&
             window->Find(kAskLocation)->Text() == location &&
             window->Get<ListControl>(kAskList).RowCount() > 0;
    });
    return *Window::ActiveOf(thread);
  }

  static QString Highlighted(Window &window) {
    const ListControl &list = window.Get<ListControl>(kAskList);
    return list.Row(list.SelectedRow()).value(0);
  }

  static void Press(Window &window, int button) { window.Get<ButtonControl>(button).Press(); }
};

TEST_F(AskCategoryTest, EachNewSiteIsAskedAbout) {
  WriteInput("bookmarks.html", "<h3>Folder</h3>\n"
                               "<a href=\"http://one.example/\">One</a>\n"
                               "<a href=\"http://stored.example/\">Stored again</a>\n"
                               "<a href=\"http://two.example/\">Two</a>\n"
                               "<a href=\"http://three.example/\">Three</a>\n"
                               "<a href=\"http://four.example/\">Four</a>\n");
  int response = 0;
  RunWithScript(
      [&] { response = RunImport(ImportOf("HTML Document", "bookmarks.html", "Ask for Each URL")); },
      [&](int thread) {
        Window &one = WaitForQuestion(thread, "http://one.example/");
        EXPECT_EQ(one.Find(kAskDescription)->Text(), "One");
        EXPECT_EQ(one.Find(kAskGuess)->Text(), "Best Guess:  Folder");
        const ListControl &list = one.Get<ListControl>(kAskList);
        ASSERT_EQ(list.RowCount(), 2); // the snippet pseudo-categories are left out
        EXPECT_EQ(list.Row(1).value(0), "Arts");
        EXPECT_EQ(Highlighted(one), "News"); // the first category after the guess
        Press(one, kAskUseGuess);

        Window &two = WaitForQuestion(thread, "http://two.example/");
        two.Get<ListControl>(kAskList).SetSelectedRow(1);
        Press(two, kAskSelect);

        Window &three = WaitForQuestion(thread, "http://three.example/");
        Press(three, kAskInsert);
        Window &form = WaitForWindow(thread, "Category Will Be Added");
        Type(form, kNoMdiName, "arts");
        Press(form, kNoMdiOk);
        WaitFor([&] { return shown_.size() == 1; }); // the name is taken: the form stays
        Type(form, kNoMdiName, "Fresh");
        Press(form, kNoMdiOk);
        WaitFor([&] { return Window::ActiveOf(thread) == &three && Highlighted(three) == "Fresh"; });
        Press(three, kAskSelect);

        Window &four = WaitForQuestion(thread, "http://four.example/");
        Press(four, kAskInsert);
        Press(WaitForWindow(thread, "Category Will Be Added"), kNoMdiCancel);
        WaitFor([&] { return Window::ActiveOf(thread) == &four; });
        four.Post(EventKind::CloseWindow);
      });

  EXPECT_EQ(response, 1);
  EXPECT_EQ(SiteRows(),
            QStringList({"News|http://stored.example/|Stored||0|", "Folder|http://one.example/|One||0|http",
                         "Arts|http://two.example/|Two||0|http", "Fresh|http://three.example/|Three||0|http",
                         "Folder|http://four.example/|Four||0|http"}));
  EXPECT_EQ(CategoryRows(),
            QStringList({"Arts:", "Folder:", "Fresh:", "News:", "_AFTER ALL:", "_Before All:"}));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, "Adding this record creates a duplicate entry for the key:Category");
}

// A plain-text file gives no guess: the question offers "New", and "&Use Best Guess" (like
// closing the window) files the site there, adding the category.
TEST_F(AskCategoryTest, UseBestGuessWithoutAGuessGivesNew) {
  WriteInput("plain.txt", "http://one.example/\nhttp://two.example/\n");
  int response = 0;
  QString guess;
  RunWithScript(
      [&] { response = RunImport(ImportOf("Any ASCII text file", "plain.txt", "Ask for Each URL")); },
      [&](int thread) {
        Window &one = WaitForQuestion(thread, "http://one.example/");
        guess = one.Find(kAskGuess)->Text();
        Press(one, kAskUseGuess);
        WaitForQuestion(thread, "http://two.example/").Post(EventKind::CloseWindow);
      });
  EXPECT_EQ(response, 1);
  EXPECT_EQ(guess, "Best Guess:  New");
  EXPECT_EQ(SiteRows(),
            QStringList({"News|http://stored.example/|Stored||0|", "New|http://one.example/|||0|http",
                         "New|http://two.example/|||0|http"}));
  EXPECT_EQ(CategoryRows(), QStringList({"Arts:", "New:", "News:", "_AFTER ALL:", "_Before All:"}));
}

} // namespace
} // namespace vx::test
