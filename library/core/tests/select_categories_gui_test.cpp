#include "library/core/browse_list.h"
#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/select_categories.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/browse_driver.h"
#include "support/gui_support.h"
#include "support/library_fixture.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

class SelectCategoriesTest : public test::LibraryTest {
protected:
  void Prepare(const QStringList &categories) {
    TakeFile(Categories());
    for (const QString &name : categories) {
      ASSERT_EQ(0, test::AddCategory(name));
    }
    ReleaseFile(Categories());
  }

  // Starts the window with `request` on the category `start`.
  int Open(int request, const QString &start) {
    return driver_.Start([this, request, start] {
      CAT().Category = start;
      GlobalRequest = request;
      SelectCategories();
      response_ = GlobalResponse;
      chosen_ = CAT().Category.clipped();
    });
  }

  QString Highlighted(int thread) const {
    const ListControl &list = driver_.List(thread);
    return list.Row(list.SelectedRow()).value(0);
  }

  test::TempSetup setup_;
  test::BrowseDriver driver_;
  int response_ = 0;
  QString chosen_ = "unset";
};

TEST_F(SelectCategoriesTest, OpensOnTheCallersCategoryOrTheNextOne) {
  Prepare({"Arts", "News", "Sport", "Travel"});
  const int thread = Open(4, "news");
  EXPECT_EQ("News", Highlighted(thread));
  driver_.Close(thread);

  const int next = Open(4, "Opera"); // no longer exists: the next one in key order
  EXPECT_EQ("Sport", Highlighted(next));
  driver_.Press(next, kSelectButton);
  driver_.Until([next] { return !scheduler::IsAlive(next); });
  EXPECT_EQ(1, response_);
  EXPECT_EQ("Sport", chosen_);
}

TEST_F(SelectCategoriesTest, CloseAfterMovingAnswers2ButLeavesTheHighlightedCategory) {
  Prepare({"Arts", "News", "Sport"});
  const int thread = Open(4, "Arts");
  driver_.Send(thread, EventKind::ScrollDown, kSelectList);
  EXPECT_EQ("News", Highlighted(thread));
  driver_.Press(thread, kSelectClose);
  driver_.Until([thread] { return !scheduler::IsAlive(thread); });
  EXPECT_EQ(2, response_);
  EXPECT_EQ("News", chosen_);
}

TEST_F(SelectCategoriesTest, EmptyFileOffersNoSelectInTheMenuAndSelectGivesABlankCategory) {
  Prepare({});
  const int thread = Open(4, "News");
  Event right{EventKind::NewSelection, kSelectList};
  right.key = KEY_MOUSE_RIGHT;
  driver_.Send(thread, right);
  EXPECT_EQ(QStringList({"~&Select"}), driver_.popups);
  driver_.Press(thread, kSelectButton);
  driver_.Until([thread] { return !scheduler::IsAlive(thread); });
  EXPECT_EQ(1, response_);
  EXPECT_EQ("", chosen_);
}

TEST_F(SelectCategoriesTest, LookingOnlyHidesSelectAndIgnoresTheDoubleClick) {
  Prepare({"Arts", "News"});
  const int thread = Open(0, "News");
  EXPECT_EQ("Arts", Highlighted(thread)); // filled from the first category
  Window &window = driver_.WindowOf(thread);
  EXPECT_TRUE(window.Find(kSelectButton)->IsHidden());
  Event twice{EventKind::AlertKey, kSelectList};
  twice.key = KEY_MOUSE_LEFT2;
  driver_.Send(thread, twice);
  EXPECT_TRUE(scheduler::IsAlive(thread));
  driver_.Close(thread);
  EXPECT_EQ(2, response_);
}

} // namespace
} // namespace vx
