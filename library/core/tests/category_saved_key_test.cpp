#include "library/core/dictionary.h"
#include "library/core/referential_integrity.h"
#include "library/runtime/data/error_state.h"
#include "support/library_fixture.h"

namespace vx::test {
namespace {

class CategorySavedKeyTest : public LibraryTest {
protected:
  void SetUp() override {
    TakeAll();
    ASSERT_EQ(AddCategory("News"), 0);
    ASSERT_EQ(AddCategory("Other"), 0);
    ASSERT_EQ(AddSite("http://a/", "a", "News"), 0);
    ASSERT_EQ(AddSite("http://b/", "b", ""), 0);
    ASSERT_EQ(AddSite("http://x/", "x", "Other"), 0);
  }
};

TEST_F(CategorySavedKeyTest, TheFormsOwnKeyWinsOverAKeySavedLaterOnTheSameThread) {
  ReadCategory("Other");
  SaveCategoryKey(); // another form loads "Other" meanwhile
  ReadCategory("News");
  CAT().Category = "Daily News";
  EXPECT_EQ(UpdateCategoryRecord("News"), 0);
  EXPECT_EQ(Sites(), (QStringList{"Daily News/a", "/b", "Other/x"}));
}

TEST_F(CategorySavedKeyTest, ABlankSavedKeyRenamesNoSiteWithoutACategory) {
  ReadCategory("News");
  CAT().Category = "Daily News";
  EXPECT_EQ(UpdateCategoryRecord(QString()), 0);
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(Sites(), (QStringList{"News/a", "/b", "Other/x"}));
}

} // namespace
} // namespace vx::test
