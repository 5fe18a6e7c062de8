#include "library/core/browse_categories.h"
#include "library/core/browse_list.h"
#include "library/core/dictionary.h"
#include "library/core/update_categories.h"
#include "library/core/update_vornix.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/window.h"
#include "support/browse_driver.h"
#include "support/form_driver.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

QStringList Rows(Window &window, int list) {
  QStringList rows;
  auto &control = window.Get<ListControl>(list);
  for (int row = 1; row <= control.RowCount(); ++row)
    rows << control.Row(row).join('|');
  return rows;
}

class BrowseCategoriesTest : public test::FormTest {
protected:
  void SetUp() override {
    TakeAll();
    CAT().Description.clear();
    URL().SiteInfo.clear();
    for (const char *name : {"_After All", "_Before All", "News", "Other"})
      ASSERT_EQ(0, test::AddCategory(name));
    ASSERT_EQ(0, test::AddSite("http://a/", "a", "News"));
    ASSERT_EQ(0, test::AddSite("http://b/", "b", "news"));
    ASSERT_EQ(0, test::AddSite("http://x/", "x", "Other"));
  }

  // Opens the sites of the highlighted category, returns their rows and closes the window.
  QStringList SitesOfHighlighted(int thread) {
    QStringList rows;
    driver_.Press(thread, kCategoriesLocations, [&](Window &sites) {
      EXPECT_EQ("Browse Location by Category", sites.Title());
      driver_.Until([&] { return sites.Get<ListControl>(kSitesOfCategoryList).RowCount() > 0; });
      rows = Rows(sites, kSitesOfCategoryList);
      sites.Post(EventKind::Accepted, kSitesOfCategoryClose);
    });
    return rows;
  }

  test::BrowseDriver driver_;
};

TEST_F(BrowseCategoriesTest, ListsEveryCategoryAndTheSitesOfTheHighlightedOneInAnyCase) {
  const int thread = driver_.Start(BrowseCategories);
  Window &browse = driver_.WindowOf(thread);
  EXPECT_EQ("Browse Categories", browse.Title());
  EXPECT_EQ((QStringList{"News", "Other", "_After All", "_Before All"}), driver_.Column(thread, 1));
  browse.Get<ListControl>(kCategoriesList).SetSelectedRow(1);
  driver_.Send(thread, EventKind::NewSelection, kCategoriesList);
  EXPECT_EQ((QStringList{"http://a/|a|News|0|", "http://b/|b|news|0|"}), SitesOfHighlighted(thread));
  driver_.Close(thread);
}

TEST_F(BrowseCategoriesTest, ARenamedCategoryIsCurrentAtItsNewPlaceAndItsSitesFollow) {
  const int thread = driver_.Start(BrowseCategories);
  Window &browse = driver_.WindowOf(thread);
  browse.Get<ListControl>(kCategoriesList).SetSelectedRow(1);
  driver_.Send(thread, EventKind::NewSelection, kCategoriesList);
  driver_.Press(thread, kCategoriesChange, [](Window &form) {
    form.Find(kCatName)->SetText("Zeta");
    form.Get<ButtonControl>(kCatOk).Press();
  });
  EXPECT_EQ((QStringList{"Other", "Zeta", "_After All", "_Before All"}), driver_.Column(thread, 1));
  EXPECT_EQ(2, browse.Get<ListControl>(kCategoriesList).SelectedRow());
  EXPECT_EQ((QStringList{"http://a/|a|Zeta|0|", "http://b/|b|Zeta|0|"}), SitesOfHighlighted(thread));
  driver_.Close(thread);
}

TEST_F(BrowseCategoriesTest, ASiteAddedUnderACategoryBelongsToIt) {
  const int thread = driver_.Start(BrowseCategories);
  Window &browse = driver_.WindowOf(thread);
  browse.Get<ListControl>(kCategoriesList).SetSelectedRow(2); // "Other"
  driver_.Send(thread, EventKind::NewSelection, kCategoriesList);
  QStringList rows;
  driver_.Press(thread, kCategoriesLocations, [&](Window &sites) {
    driver_.Until([&] { return sites.Get<ListControl>(kSitesOfCategoryList).RowCount() == 1; });
    sites.Post(EventKind::Accepted, kSitesOfCategoryInsert);
    driver_.Until([&] { return Window::ActiveOf(thread) != &sites; });
    Window &form = *Window::ActiveOf(thread);
    test::Type(form, kUpdateLocation, "http://y/");
    test::Type(form, kUpdateDescription, "y");
    form.Get<ButtonControl>(kUpdateOk).Press();
    driver_.Until([&] { return sites.Get<ListControl>(kSitesOfCategoryList).RowCount() == 2; });
    rows = Rows(sites, kSitesOfCategoryList);
    sites.Post(EventKind::Accepted, kSitesOfCategoryClose);
  });
  EXPECT_EQ("http://x/|x|Other|0|\nhttp://y/|y|Other|0|http", rows.join("\n"))
      << rows.join("\n").toStdString();
  driver_.Close(thread);
}

} // namespace
} // namespace vx
