#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/update_cat_html.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/window.h"
#include "support/form_driver.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::FormTest;
using test::RunWithScript;
using test::WaitForWindow;

// The snippets of the file, as "category|type|html" in key order, one a line.
QString Snippets() {
  QStringList rows;
  SET(CatHTML().KeyCategoryHTML);
  for (NEXT(CatHTML()); ERRORCODE() == 0; NEXT(CatHTML()))
    rows << HTM().Category.clipped() + "|" + HTM().TypeOfHTML.clipped() + "|" + HTM().HTMLtoAdd.clipped();
  return rows.join('\n');
}

// Calls the form on a thread of its own as the category form does, with the snippet of
// `category` and `type` read for a change or delete, or a cleared buffer for an insert.
std::function<void()> CallForm(int request, const QString &category, const QString &type, int *response) {
  return [=] {
    CAT().Category = category;
    CLEAR(CatHTML());
    HTM().HTMLtoAdd.clear();
    if (request != 1) {
      TakeFile(CatHTML());
      HTM().Category = category;
      HTM().TypeOfHTML = type;
      GET(CatHTML().KeyCategoryHTML);
      ReleaseFile(CatHTML());
    }
    GlobalRequest = request;
    UpdateCatHTML();
    *response = GlobalResponse;
  };
}

class UpdateCatHTMLTest : public FormTest {
protected:
  void SetUp() override {
    TakeAll();
    HTM().HTMLtoAdd.clear(); // the main stack's buffers outlive each test
    ASSERT_EQ(0, test::AddCategory("News"));
  }

  QString Captions() const {
    QStringList captions;
    for (const MessageRequest &r : shown_)
      captions << r.caption;
    return captions.join('|');
  }
};

TEST_F(UpdateCatHTMLTest, NewSnippetStartsBeforeCategoryInTheShownCategoryAndIsAdded) {
  int response = 0;
  int startChoice = 0;
  QString startText;
  RunWithScript(CallForm(1, "News", {}, &response), [&](int form) {
    Window &window = WaitForWindow(form, "Adding HTML");
    startChoice = window.Get<OptionControl>(kCatHtmlTypeGroup).Choice();
    startText = window.Get<TextControl>(kCatHtmlText).Text();
    window.Get<TextControl>(kCatHtmlText).SetText("<hr>");
    window.Get<ButtonControl>(kCatHtmlOk).Press();
  });
  EXPECT_EQ(kCatHtmlBeforeCategory - kCatHtmlTypeGroup, startChoice); // "Before Category"
  EXPECT_EQ("", startText);
  EXPECT_EQ(1, response);
  EXPECT_EQ(QString("News|Before Category|<hr>"), Snippets());
  EXPECT_EQ(1, CatHTML().useCount); // the fixture's own use; the form gave its use back
}

TEST_F(UpdateCatHTMLTest, SecondSnippetOfOneTypeIsRefusedAndTheFormKeepsTheText) {
  ASSERT_EQ(0, test::AddSnippet("News", "Before Category"));
  int response = 0;
  QString textAfterRefusal;
  RunWithScript(CallForm(1, "News", {}, &response), [&](int form) {
    Window &window = WaitForWindow(form, "Adding HTML");
    window.Get<TextControl>(kCatHtmlText).SetText("<b>");
    window.Get<ButtonControl>(kCatHtmlOk).Press();
    test::WaitFor([&] { return !shown_.empty(); });
    textAfterRefusal = window.Get<TextControl>(kCatHtmlText).Text();
    window.Get<OptionControl>(kCatHtmlTypeGroup).SetChoice(kCatHtmlAfterCategory - kCatHtmlTypeGroup);
    window.Get<ButtonControl>(kCatHtmlOk).Press();
  });
  ASSERT_EQ(1u, shown_.size());
  EXPECT_EQ("Duplicate Key Error", shown_[0].caption);
  EXPECT_TRUE(shown_[0].text.endsWith("Category - Add HTML")) << shown_[0].text.toStdString();
  EXPECT_EQ("<b>", textAfterRefusal);
  EXPECT_EQ(1, response);
  EXPECT_EQ(QString("News|After Category|<b>\nNews|Before Category|"), Snippets());
}

TEST_F(UpdateCatHTMLTest, ChangeToATypeTheCategoryHasFailsAndNoLeavesTheFileAlone) {
  ASSERT_EQ(0, test::AddSnippet("News", "Before Category"));
  ASSERT_EQ(0, test::AddSnippet("News", "After Category"));
  answers_ = {BUTTON_OK, BUTTON_NO}; // message 15, then No to "try to save again?"
  int response = 0;
  RunWithScript(CallForm(2, "News", "After Category", &response), [&](int form) {
    Window &window = WaitForWindow(form, "Changing HTML");
    window.Get<OptionControl>(kCatHtmlTypeGroup).SetChoice(kCatHtmlBeforeCategory - kCatHtmlTypeGroup);
    window.Get<ButtonControl>(kCatHtmlOk).Press();
  });
  EXPECT_EQ("Update Operation Error|Record Update Error", Captions());
  EXPECT_EQ(2, response);
  EXPECT_EQ(QString("News|After Category|\nNews|Before Category|"), Snippets());
}

TEST_F(UpdateCatHTMLTest, DeleteAsksFirstAndCancelKeepsTheSnippet) {
  ASSERT_EQ(0, test::AddSnippet("News", "Replace Title"));
  int response = 0;
  answers_ = {BUTTON_CANCEL};
  RunWithScript(CallForm(3, "News", "Replace Title", &response), [](int) {});
  EXPECT_EQ("Confirm Delete", Captions());
  EXPECT_EQ(2, response);
  EXPECT_EQ(QString("News|Replace Title|"), Snippets());

  answers_ = {BUTTON_OK};
  RunWithScript(CallForm(3, "News", "Replace Title", &response), [](int) {});
  EXPECT_EQ(1, response);
  EXPECT_EQ("", Snippets());
}

TEST_F(UpdateCatHTMLTest, CancelWritesNothingAndAnEmptyTextIsStoredAsSuch) {
  int response = 0;
  RunWithScript(CallForm(1, "News", {}, &response), [](int form) {
    WaitForWindow(form, "Adding HTML").Get<ButtonControl>(kCatHtmlCancel).Press();
  });
  EXPECT_EQ(2, response);
  EXPECT_EQ("", Snippets());
  RunWithScript(CallForm(1, "News", {}, &response),
                [](int form) { WaitForWindow(form, "Adding HTML").Get<ButtonControl>(kCatHtmlOk).Press(); });
  EXPECT_EQ(1, response);
  EXPECT_EQ(QString("News|Before Category|"), Snippets());
}

} // namespace
} // namespace vx
