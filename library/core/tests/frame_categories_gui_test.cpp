#include "library/core/browse_categories.h"
#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/main_frame.h"
#include "library/core/procedure_table.h"
#include "library/core/program_entry.h"
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
#include "support/gui_support.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

namespace vx {
namespace {

using test::WaitFor;
using test::WaitForWindow;

Window *ChildTitled(Window &frame, const QString &title) {
  for (QMdiSubWindow *sub : frame.MdiArea()->subWindowList()) {
    auto *window = static_cast<Window *>(sub->property("vxWindow").value<void *>());
    if (window && window->IsOpen() && window->Title() == title)
      return window;
  }
  return nullptr;
}

void Type(Window &form, int control, const QString &text) {
  form.Find(control)->SetText(text);
  form.Find(control)->Update();
  form.Post(EventKind::Accepted, control);
}

QStringList Column(Window &window, int list, int column) {
  QStringList texts;
  auto &control = window.Get<ListControl>(list);
  for (int row = 1; row <= control.RowCount(); ++row)
    texts << control.Row(row).value(column);
  return texts;
}

// Selects a row of a browse list as a click does.
void Highlight(Window &window, int list, int row) {
  window.Get<ListControl>(list).SetSelectedRow(row);
  window.Post(EventKind::NewSelection, list);
}

class FrameCategories : public test::LibraryTest {
protected:
  FrameCategories() {
    ResetGlobals();
    RegisterProgramProcedures();
  }
  ~FrameCategories() override {
    for (const char *name : {"BrowseVORNIX", "BrowseCategories", "Splash", "About"})
      UnregisterProcedure(name);
  }

  // Adds a category on the category browse through its form.
  void AddCategory(Window &browse, const QString &name) {
    const int thread = browse.Thread();
    const int rows = browse.Get<ListControl>(kCategoriesList).RowCount();
    browse.Get<ButtonControl>(kCategoriesInsert).Press();
    Window &form = WaitForWindow(thread, "Category Will Be Added");
    Type(form, kCatName, name);
    form.Get<ButtonControl>(kCatOk).Press();
    WaitFor([&] {
      return Window::ActiveOf(thread) == &browse &&
             browse.Get<ListControl>(kCategoriesList).RowCount() > rows;
    });
  }

  // Adds a site to the highlighted category through "Locations for this Category".
  void AddSite(Window &browse, const QString &location) {
    const int thread = browse.Thread();
    browse.Get<ButtonControl>(kCategoriesLocations).Press();
    Window &sites = WaitForWindow(thread, "Browse Location by Category");
    sites.Get<ButtonControl>(kSitesOfCategoryInsert).Press();
    Window &form = WaitForWindow(thread, "Adding Location");
    Type(form, kUpdateLocation, location);
    Type(form, kUpdateDescription, location);
    form.Get<ButtonControl>(kUpdateOk).Press();
    WaitFor([&] {
      return Window::ActiveOf(thread) == &sites &&
             sites.Get<ListControl>(kSitesOfCategoryList).RowCount() > 0;
    });
    sites.Get<ButtonControl>(kSitesOfCategoryClose).Press();
    WaitFor([&] { return Window::ActiveOf(thread) == &browse; });
  }

  test::TempSetup setup_;
};

// The round a user makes from empty files: two categories, a snippet, sites under both, a
// rename that the sites follow, a delete that takes the other category's sites.
TEST_F(FrameCategories, CategoriesAreManagedFromTheBrowseMenu) {
  QStringList namesAfterRename, sitesAfterRename, locationsBrowse;
  START([&] {
    WaitFor([] { return Window::Frame() && Window::Frame()->IsOpen(); });
    Window &frame = *Window::Frame();
    frame.Get<MenuItemControl>(kMenuBrowseCategories).Choose();
    WaitFor([&] { return ChildTitled(frame, "Browse Categories") != nullptr; });
    Window &browse = *ChildTitled(frame, "Browse Categories");
    const int thread = browse.Thread();
    AddCategory(browse, "News");
    AddCategory(browse, "Sport");

    Highlight(browse, kCategoriesList, 1); // News
    browse.Get<ButtonControl>(kCategoriesChange).Press();
    Window &form = WaitForWindow(thread, "Category Will Be Changed");
    form.Get<SheetControl>(kCatSheet).SetChoice(2);
    form.Post(EventKind::NewSelection, kCatSheet);
    form.Get<ButtonControl>(kCatHtmlInsert).Press();
    Window &snippet = WaitForWindow(thread, "Adding HTML");
    snippet.Get<OptionControl>(kCatHtmlTypeGroup).SetChoice(kCatHtmlAfterCategory - kCatHtmlTypeGroup);
    snippet.Find(kCatHtmlText)->SetText("<hr>");
    snippet.Get<ButtonControl>(kCatHtmlOk).Press();
    WaitFor([&] {
      return Window::ActiveOf(thread) == &form && form.Get<ListControl>(kCatHtmlList).RowCount() == 1;
    });
    form.Get<ButtonControl>(kCatOk).Press();
    WaitFor([&] { return Window::ActiveOf(thread) == &browse; });

    AddSite(browse, "http://news/");
    Highlight(browse, kCategoriesList, 2); // Sport
    AddSite(browse, "http://sport/");

    Highlight(browse, kCategoriesList, 1); // News
    browse.Get<ButtonControl>(kCategoriesChange).Press();
    Window &rename = WaitForWindow(thread, "Category Will Be Changed");
    Type(rename, kCatName, "World News");
    rename.Get<ButtonControl>(kCatOk).Press();
    WaitFor([&] {
      return Window::ActiveOf(thread) == &browse && Column(browse, kCategoriesList, 0).contains("World News");
    });
    namesAfterRename = Column(browse, kCategoriesList, 0);
    Highlight(browse, kCategoriesList, 2); // World News
    browse.Get<ButtonControl>(kCategoriesLocations).Press();
    Window &sites = WaitForWindow(thread, "Browse Location by Category");
    WaitFor([&] { return sites.Get<ListControl>(kSitesOfCategoryList).RowCount() == 1; });
    sitesAfterRename = Column(sites, kSitesOfCategoryList, 2);
    sites.Get<ButtonControl>(kSitesOfCategoryClose).Press();
    WaitFor([&] { return Window::ActiveOf(thread) == &browse; });

    Highlight(browse, kCategoriesList, 1); // Sport
    answers_ = {BUTTON_OK};
    browse.Get<ButtonControl>(kCategoriesDelete).Press();
    WaitFor([&] { return browse.Get<ListControl>(kCategoriesList).RowCount() == 1; });

    Window *locations = ChildTitled(frame, "Browse Locations"); // opened with the frame
    locations->Post(EventKind::GainFocus);
    WaitFor([&] { return locations->Get<ListControl>(1).RowCount() == 1; });
    locationsBrowse = Column(*locations, 1, 2);
    frame.Get<MenuItemControl>(kMenuExit).Choose();
  });
  int code = 0;
  const bool ended = test::RunWithin(20000, [&code] { code = ProgramEntry(); });
  EXPECT_EQ(0, code);
  ASSERT_TRUE(ended) << "the program did not end";
  EXPECT_EQ((QStringList{"Sport", "World News"}), namesAfterRename);
  EXPECT_EQ(QStringList{"World News"}, sitesAfterRename);
  EXPECT_EQ(QStringList{"World News"}, locationsBrowse);
  std::vector<QString> captions;
  for (const MessageRequest &r : shown_)
    captions.push_back(r.caption);
  EXPECT_EQ(std::vector<QString>{"Confirm Delete"}, captions);

  TakeAll();
  SET(CatHTML());
  NEXT(CatHTML());
  EXPECT_EQ("World News", HTM().Category.clipped());
  EXPECT_EQ("After Category", HTM().TypeOfHTML.clipped());
  EXPECT_EQ(1, RECORDS(Categories()));
  EXPECT_EQ(1, RECORDS(VORNIX()));
}

} // namespace
} // namespace vx
