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

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace vx {
namespace {

// The texts inside `root` that the room they are given cuts off, as "text: needed > given":
// labels, buttons, group titles, tab rows and list headings.
QStringList ClippedTexts(QWidget *root) {
  QStringList clipped;
  const auto check = [&clipped](const QString &text, int needed, int given) {
    if (needed > given)
      clipped << QStringLiteral("%1: %2 > %3").arg(text).arg(needed).arg(given);
  };
  const auto shown = [root](QWidget *widget) { return widget->isVisibleTo(root); };
  for (QLabel *label : root->findChildren<QLabel *>()) {
    if (!shown(label) || label->text().isEmpty() || label->wordWrap())
      continue;
    const QString text = label->buddy() ? QString(label->text()).remove('&') : label->text();
    check(text, label->fontMetrics().horizontalAdvance(text), label->contentsRect().width());
    check(text + " (height)", label->fontMetrics().height(), label->contentsRect().height());
  }
  for (QAbstractButton *button : root->findChildren<QAbstractButton *>()) {
    const QString text = QString(button->text()).remove('&');
    if (!shown(button) || text.isEmpty())
      continue;
    if (qobject_cast<QPushButton *>(button)) {
      QStyle *style = button->style();
      const int margins = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                          2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
      check(text, button->fontMetrics().horizontalAdvance(text) + margins, button->width());
    } else {
      check(text, button->sizeHint().width(), button->width());
    }
  }
  for (QGroupBox *box : root->findChildren<QGroupBox *>()) {
    if (shown(box) && !box->title().isEmpty())
      check(box->title(), box->fontMetrics().horizontalAdvance(box->title()) + 16, box->width());
  }
  for (QTabWidget *tabs : root->findChildren<QTabWidget *>()) {
    if (shown(tabs))
      check("the tabs", tabs->tabBar()->sizeHint().width(), tabs->width());
  }
  for (QHeaderView *header : root->findChildren<QHeaderView *>()) {
    if (!shown(header))
      continue;
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int i = 0; i < header->count(); ++i) {
      const QString text = header->model()->headerData(i, header->orientation()).toString();
      check(text, header->fontMetrics().horizontalAdvance(text) + margins, header->sectionSize(i));
    }
  }
  return clipped;
}

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
    const QStringList clipped = ClippedTexts(outer);
    EXPECT_TRUE(clipped.isEmpty()) << name.toStdString() << ": " << clipped.join("; ").toStdString();
    if (!folder_.isEmpty()) {
      EXPECT_TRUE(outer->grab().save(folder_ + "/" + name + ".png"));
    }
  }
  void Look(Window &window, const QString &name) { Look(window.Outer(), name); }

  const QString folder_ = qEnvironmentVariable("VORNIX_SCREENSHOTS");
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
