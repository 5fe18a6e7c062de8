#include "library/core/browse_categories.h"
#include "library/core/browse_vornix.h"
#include "library/core/dictionary.h"
#include "library/core/main_frame.h"
#include "library/core/select_categories.h"
#include "library/core/splash_window.h"
#include "library/core/update_cat_html.h"
#include "library/core/update_categories.h"
#include "library/core/update_vornix.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/user_driver.h"
#include "support/window_texts.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QMainWindow>
#include <QPushButton>
#include <gtest/gtest.h>

namespace vx {
namespace {

// Opens every window of the library, checks that none cuts off a text of its own, and with
// VORNIX_SCREENSHOTS set to a folder saves a picture of each there (scripts/screenshot-library
// runs this at 96 and at 120 dots per inch).
class WindowTexts : public test::UserTest {
protected:
  void SetUp() override {
    TakeAll();
    for (const char *name : {"News", "Arts and Letters", "_Before All"})
      ASSERT_EQ(0, test::AddCategory(name));
    ASSERT_EQ(0, test::AddSnippet("News", "Replace Title"));
    ASSERT_EQ(0, test::AddSite("http://news.example/today.html", "Today's headlines from around the world",
                               "News", 9, "http"));
    ASSERT_EQ(0, test::AddSite("mailto:editor@news.example", "Letters to the editor", "News", 5, "mailto:"));
    ASSERT_EQ(0, test::AddSite("ftp://ftp.arts.example/pub/", "Public archive of the arts",
                               "Arts and Letters", 7, "ftp"));
    for (DataFile *file : std::initializer_list<DataFile *>{&Categories(), &VORNIX(), &CatHTML(), &History()})
      ReleaseFile(*file);
  }

  // Checks the window's texts and saves its picture under `name`.
  void Look(QWidget *outer, const QString &name) {
    user_.Settle();
    test::LookAt(outer, name);
  }
  void Look(Window &window, const QString &name) { Look(window.Outer(), name); }
};

TEST_F(WindowTexts, EveryWindowShowsItsTextsWhole) {
  RunProgram([&] {
    Window &frame = *Window::Frame();
    frame.MainWindow()->resize(1000, 700);
    Window &browse = user_.WaitForWindow("Browse Locations");
    Look(frame.MainWindow(), "frame");
    Look(browse, "locations-browse");
    user_.ClickTab(browse, kBrowseSheet, 3);
    Look(browse, "locations-browse-category-tab");

    user_.Click(browse, kBrowseInsert);
    Window &site = user_.WaitForWindow("Adding Location");
    Look(site, "site-form-general");
    auto *categories = static_cast<QComboBox *>(site.Find(kUpdateCategory)->Widget());
    categories->showPopup();
    Look(categories->view()->window(), "site-form-category-list");
    categories->hidePopup();
    // Without a window manager nothing gives the frame the keyboard back after a popup; a
    // click on it would.
    frame.MainWindow()->activateWindow();
    user_.Until([&] { return QGuiApplication::focusWindow() == frame.MainWindow()->windowHandle(); });
    user_.ClickTab(site, kUpdateSheet, 2);
    Look(site, "site-form-site-info");
    user_.Click(site, kUpdateCancel);
    user_.Until([&] { return user_.Closed(&site); });

    user_.Click(browse, kBrowseSelectCategory);
    Window &select = user_.WaitForWindow("Select Category");
    Look(select, "select-category");
    user_.Click(select, kSelectClose);
    user_.Until([&] { return user_.Closed(&select); });

    frame.Get<MenuItemControl>(kMenuBrowseCategories).Choose();
    Window &categoryBrowse = user_.WaitForWindow("Browse Categories");
    Look(categoryBrowse, "browse-categories");
    user_.Click(categoryBrowse, kCategoriesLocations);
    Window &sites = user_.WaitForWindow("Browse Location by Category");
    Look(sites, "browse-location-by-category");
    user_.Click(sites, kSitesOfCategoryClose);
    user_.Until([&] { return user_.Closed(&sites); });

    user_.Click(categoryBrowse, kCategoriesChange);
    Window &form = user_.WaitForWindow("Category Will Be Changed");
    const char *tabs[] = {"general", "html", "locations"};
    for (int tab = 1; tab <= 3; ++tab) {
      user_.ClickTab(form, kCatSheet, tab);
      Look(form, QStringLiteral("category-form-") + tabs[tab - 1]);
    }
    user_.ClickTab(form, kCatSheet, 2);
    user_.Click(form, kCatHtmlInsert);
    Window &html = user_.WaitForWindow("Adding HTML");
    Look(html, "category-html-form");
    user_.Click(html, kCatHtmlCancel);
    user_.Until([&] { return user_.Closed(&html); });
    user_.Click(form, kCatCancel);
    user_.Until([&] { return user_.Closed(&form); });
    user_.Click(categoryBrowse, kCategoriesClose);
    user_.Until([&] { return user_.Closed(&categoryBrowse); });

    frame.Get<MenuItemControl>(kMenuAbout).Choose();
    Window &about = user_.WaitForWindow("About");
    Look(about, "about");
    user_.Click(about.Outer()->findChild<QPushButton *>());
    user_.Until([&] { return user_.Closed(&about); });

    const int splash = START(Splash);
    user_.Until([&] { return Window::ActiveOf(splash) && Window::ActiveOf(splash)->IsOpen(); });
    Look(*Window::ActiveOf(splash), "splash");
  });
}

} // namespace
} // namespace vx
