#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/update_vornix.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/browse_driver.h"
#include "support/gui_support.h"
#include "support/library_fixture.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

// Calls the site form on a thread of its own, as a browse does, and answers it.
class SiteFormTest : public test::LibraryTest {
protected:
  void Prepare(const QStringList &categories, const QString &site = {}) {
    TakeFile(Categories());
    TakeFile(VORNIX());
    for (const QString &name : categories) {
      ASSERT_EQ(0, test::AddCategory(name));
    }
    if (!site.isEmpty()) {
      ASSERT_EQ(0, test::AddSite(site, "A site", categories.value(0)));
    }
    ReleaseFile(VORNIX());
    ReleaseFile(Categories());
  }

  // Runs the form with `request` on the site `site` (blank: a cleared record); `answer`
  // works the open form. Returns the thread once the form is open.
  void Run(int request, const QString &site, const std::function<void(Window &)> &answer) {
    thread_ = START([this, request, site] {
      TakeFile(VORNIX());
      CLEAR(VORNIX());
      URL().SiteInfo = QString();
      if (!site.isEmpty()) {
        URL().Location = site;
        GET(VORNIX().K_Location);
      }
      GlobalRequest = request;
      UpdateVORNIX();
      response_ = GlobalResponse;
      written_ = URL();
      ReleaseFile(VORNIX());
    });
    driver_.Until([this] { return Window::ActiveOf(thread_) || !scheduler::IsAlive(thread_); });
    if (Window *form = Window::ActiveOf(thread_))
      answer(*form);
    driver_.Until([this] { return !scheduler::IsAlive(thread_); });
  }

  void WaitForMessage(size_t count) {
    driver_.Until([this, count] { return shown_.size() >= count; });
  }

  int RecordCount() {
    TakeFile(VORNIX());
    const int count = int(RECORDS(VORNIX()));
    ReleaseFile(VORNIX());
    return count;
  }

  test::TempSetup setup_;
  test::BrowseDriver driver_;
  int thread_ = 0;
  int response_ = 0;
  SiteRecord written_;
};

TEST_F(SiteFormTest, InsertProposesTheKeywordAndWritesTheSite) {
  Prepare({"News"});
  Run(1, {}, [](Window &form) {
    EXPECT_EQ("Adding Location", form.Title());
    test::Type(form, kUpdateLocation, "gopher://hole.example/");
    test::Type(form, kUpdateDescription, "Hole");
    test::Choose(form, kUpdateCategory, "News");
    form.Get<ButtonControl>(kUpdateOk).Press();
  });
  EXPECT_EQ(1, response_);
  EXPECT_EQ("gopher", written_.Keyword.clipped());
  EXPECT_EQ("News", written_.Category.clipped());
  EXPECT_EQ(1, RecordCount());
  EXPECT_TRUE(shown_.empty());
}

TEST_F(SiteFormTest, DuplicateLocationGivesMessage24AndKeepsTheFormOpen) {
  Prepare({"News"}, "http://a.example/");
  Run(1, {}, [this](Window &form) {
    test::Type(form, kUpdateLocation, "HTTP://A.EXAMPLE/");
    test::Choose(form, kUpdateCategory, "News");
    form.Get<ButtonControl>(kUpdateOk).Press();
    WaitForMessage(1);
    EXPECT_EQ(&form, Window::ActiveOf(thread_)); // still open
    form.Get<ButtonControl>(kUpdateCancel).Press();
  });
  ASSERT_EQ(1u, shown_.size());
  EXPECT_EQ("Duplicate Key Error", shown_[0].caption);
  EXPECT_EQ("Adding this record creates a duplicate entry for the key:Site Location", shown_[0].text);
  EXPECT_EQ(2, response_);
  EXPECT_EQ(1, RecordCount());
}

TEST_F(SiteFormTest, CategoryMissingFromTheFileStopsOkWithMessage11) {
  Prepare({});
  Run(1, {}, [this](Window &form) {
    EXPECT_TRUE(form.Get<DropListControl>(kUpdateCategory).Items().isEmpty());
    test::Type(form, kUpdateLocation, "news:comp.lang.c");
    form.Get<ButtonControl>(kUpdateOk).Press();
    WaitForMessage(1);
    form.Get<ButtonControl>(kUpdateCancel).Press();
  });
  ASSERT_EQ(1u, shown_.size());
  EXPECT_EQ("Field Contents Error", shown_[0].caption);
  EXPECT_EQ("The value for URL:Category must be found in the Categories file.", shown_[0].text);
  EXPECT_EQ("?", written_.Keyword.clipped()); // proposed, but never written
  EXPECT_EQ(2, response_);
  EXPECT_EQ(0, RecordCount());
}

TEST_F(SiteFormTest, CategoryListLeavesOutTheSnippetPseudoCategories) {
  Prepare({"_Before All", "news", "_AFTER ALL", "Arts"});
  QStringList items;
  Run(1, {}, [&](Window &form) {
    auto &list = form.Get<DropListControl>(kUpdateCategory);
    driver_.Until([&] { return !list.Items().isEmpty(); });
    items = list.Items();
    form.Get<ButtonControl>(kUpdateCancel).Press();
  });
  EXPECT_EQ(QStringList({"Arts", "news"}), items);
}

TEST_F(SiteFormTest, ChangeKeepsABlankKeywordAndCancelLeavesTheFileAlone) {
  Prepare({"News"}, "http://a.example/");
  Run(2, "http://a.example/", [](Window &form) {
    EXPECT_EQ("Changing Location", form.Title());
    test::Type(form, kUpdateDescription, "Edited");
    form.Get<ButtonControl>(kUpdateCancel).Press();
  });
  EXPECT_EQ(2, response_);
  Run(2, "http://a.example/", [](Window &form) {
    test::Type(form, kUpdateRating, "9");
    form.Get<ButtonControl>(kUpdateOk).Press();
  });
  EXPECT_EQ(1, response_);
  EXPECT_TRUE(written_.Keyword.isBlank());
  TakeFile(VORNIX());
  URL().Location = "http://a.example/";
  GET(VORNIX().K_Location);
  EXPECT_EQ(0, ERRORCODE());
  EXPECT_EQ("A site", URL().Description.clipped());
  EXPECT_EQ(9, URL().Rating);
  EXPECT_TRUE(URL().Keyword.isBlank());
  ReleaseFile(VORNIX());
}

TEST_F(SiteFormTest, ASiteUnderACaseVariantOfItsCategoryIsChangedWithoutComplaint) {
  Prepare({"News"});
  TakeFile(VORNIX());
  ASSERT_EQ(0, test::AddSite("http://b.example/", "B site", "news"));
  ReleaseFile(VORNIX());
  Run(2, "http://b.example/", [](Window &form) {
    EXPECT_EQ("News", form.Find(kUpdateCategory)->Text());
    test::Type(form, kUpdateRating, "3");
    form.Get<ButtonControl>(kUpdateOk).Press();
  });
  EXPECT_EQ(1, response_);
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ("News", written_.Category.clipped());
  EXPECT_EQ(3, written_.Rating);
}

TEST_F(SiteFormTest, DeleteAsksFirstAndNeverOpensTheWindow) {
  Prepare({"News"}, "http://a.example/");
  answers_ = {BUTTON_CANCEL};
  Run(3, "http://a.example/", [](Window &) { ADD_FAILURE() << "the delete opened the form"; });
  EXPECT_EQ(2, response_);
  EXPECT_EQ(1, RecordCount());
  answers_ = {BUTTON_OK};
  Run(3, "http://a.example/", [](Window &) { ADD_FAILURE() << "the delete opened the form"; });
  EXPECT_EQ(1, response_);
  EXPECT_EQ(0, RecordCount());
  ASSERT_EQ(2u, shown_.size());
  EXPECT_EQ("Confirm Delete", shown_[1].caption);
}

} // namespace
} // namespace vx
