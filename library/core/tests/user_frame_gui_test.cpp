#include "library/core/browse_categories.h"
#include "library/core/browse_vornix.h"
#include "library/core/dictionary.h"
#include "library/core/main_frame.h"
#include "library/core/update_categories.h"
#include "library/core/update_vornix.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/window.h"
#include "support/user_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QTreeView>
#include <gtest/gtest.h>

namespace vx {
namespace {

const QString kIni = "VORNIX.INI";

// The frame's Window menu and the child windows' places, worked in the running program.
class FrameByUser : public test::UserTest {
protected:
  void SetUp() override {
    TakeFile(Categories());
    TakeFile(VORNIX());
    ASSERT_EQ(0, test::AddCategory("News"));
    ASSERT_EQ(0, test::AddSite("http://a.example/", "First", "News"));
    ASSERT_EQ(0, test::AddSite("http://b.example/", "Second", "News"));
    ReleaseFile(VORNIX());
    ReleaseFile(Categories());
  }

  // The client size of the Locations browse's definition, in pixels.
  static QSize DefinedSize(Window &browse) { return browse.Units().ToPixels(QRect(0, 0, 400, 210)).size(); }
};

// Cascade keeps the size the user gave the window; the place saved afterwards, and a tiny
// size found in VORNIX.INI, never go below the window's minimum.
TEST_F(FrameByUser, CascadeKeepsTheSizeAndNoSizeBelowTheMinimumIsSavedOrRestored) {
  QSize before, afterCascade;
  RunProgram([&] {
    Window &browse = user_.WaitForWindow("Browse Locations");
    browse.Outer()->resize(browse.Outer()->size() + QSize(60, 40)); // dragged larger
    user_.Settle();
    before = browse.Outer()->size();
    Window::Frame()->Get<MenuItemControl>(kMenuCascade).Choose();
    user_.Settle();
    afterCascade = browse.Outer()->size();
  });
  EXPECT_EQ(before, afterCascade);
  EXPECT_GE(GETINI("BrowseVORNIX", "Width", "", kIni).toInt(), 400);
  EXPECT_GE(GETINI("BrowseVORNIX", "Height", "", kIni).toInt(), 210);

  PUTINI("BrowseVORNIX", "XPosit", "5", kIni);
  PUTINI("BrowseVORNIX", "YPosit", "5", kIni);
  PUTINI("BrowseVORNIX", "Width", "79", kIni);
  PUTINI("BrowseVORNIX", "Height", "16", kIni);
  QSize restored, defined;
  RunProgram([&] {
    Window &browse = user_.WaitForWindow("Browse Locations");
    restored = browse.ClientArea()->size();
    defined = DefinedSize(browse);
  });
  EXPECT_GE(restored.width(), defined.width());
  EXPECT_GE(restored.height(), defined.height());
}

// Window > Cascade, then Window > Tile, chosen by their keys with Browse Locations and
// Browse Categories open: the frame keeps its size and place, and every child lies inside
// its client area.
TEST_F(FrameByUser, TileAndCascadeArrangeTheChildrenInsideTheFrameAsItIs) {
  QString before;
  QStringList frames;
  QStringList outside;
  RunProgram([&] {
    Window &browse = user_.WaitForWindow("Browse Locations");
    QWidget *frame = Window::Frame()->Outer();
    frame->setGeometry(30, 20, 700, 520);
    user_.Settle();
    const auto place = [frame] {
      const QRect at = frame->geometry();
      return QStringLiteral("%1x%2 at %3,%4").arg(at.width()).arg(at.height()).arg(at.x()).arg(at.y());
    };
    before = place();
    user_.PressWithAlt(Qt::Key_B);
    user_.Press(Qt::Key_C);
    Window &categories = user_.WaitForWindow("Browse Categories");
    for (Qt::Key entry : {Qt::Key_C, Qt::Key_I}) {
      user_.PressWithAlt(Qt::Key_W);
      user_.Press(entry);
      frames << place();
      const QRect room = Window::Frame()->MdiArea()->viewport()->rect();
      for (Window *child : {&browse, &categories}) {
        if (!room.contains(child->Outer()->geometry()))
          outside
              << QStringLiteral("%1 after %2").arg(child->Title(), entry == Qt::Key_C ? "Cascade" : "Tile");
      }
    }
  });
  EXPECT_EQ(QStringList({before, before}), frames);
  EXPECT_TRUE(outside.isEmpty()) << outside.join(", ").toStdString();
}

// A maximised browse stays maximised once the site form or Select Category it opened has
// closed.
TEST_F(FrameByUser, AMaximisedBrowseStaysMaximisedAfterItsFormsClose) {
  std::vector<bool> maximized;
  RunProgram([&] {
    Window &browse = user_.WaitForWindow("Browse Locations");
    browse.Outer()->showMaximized(); // the window's maximise button
    user_.Settle();
    user_.Click(browse, kBrowseInsert);
    Window &form = user_.WaitForWindow("Adding Location");
    user_.Click(form, kUpdateCancel);
    user_.Until([&] { return user_.Closed(&form); });
    maximized.push_back(browse.IsMaximized());
    user_.ClickTab(browse, kBrowseSheet, 3);
    user_.Click(browse, kBrowseSelectCategory);
    Window &select = user_.WaitForWindow("Select Category");
    user_.Click(select, 4); // Close
    user_.Until([&] { return user_.Closed(&select); });
    maximized.push_back(browse.IsMaximized());
  });
  EXPECT_EQ(std::vector<bool>({true, true}), maximized);
}

// A window whose remembered place lies outside the frame opens inside it; Browse Categories
// scales its controls when resized; the category form opens on its first tab, has its own
// icon and shows no scroll bar on its short lists; the site form's category list has its
// heading.
TEST_F(FrameByUser, WindowsOpenInsideTheFrameAndShowWhatTheirDefinitionsAskFor) {
  PUTINI("BrowseVORNIX", "XPosit", "3000", kIni);
  PUTINI("BrowseVORNIX", "YPosit", "2000", kIni);
  PUTINI("BrowseVORNIX", "Width", "400", kIni);
  PUTINI("BrowseVORNIX", "Height", "210", kIni);
  bool inside = false, listGrew = false, siteBarShown = true;
  int firstTab = 0;
  QString heading;
  RunProgram([&] {
    Window &browse = user_.WaitForWindow("Browse Locations");
    const QRect room = Window::Frame()->MdiArea()->viewport()->rect();
    inside = room.contains(browse.Outer()->geometry());

    user_.Click(browse, kBrowseInsert);
    Window &site = user_.WaitForWindow("Adding Location");
    auto *combo = static_cast<QComboBox *>(site.Find(kUpdateCategory)->Widget());
    if (auto *view = qobject_cast<QTreeView *>(combo->view()))
      heading = view->model()->headerData(0, Qt::Horizontal).toString();
    user_.Click(site, kUpdateCancel);
    user_.Until([&] { return user_.Closed(&site); });

    Window::Frame()->Get<MenuItemControl>(kMenuBrowseCategories).Choose();
    Window &categories = user_.WaitForWindow("Browse Categories");
    QWidget *list = categories.Find(kCategoriesList)->Widget();
    const QSize listBefore = list->size();
    categories.Outer()->resize(categories.Outer()->size() + QSize(200, 100)); // dragged larger
    user_.Settle();
    listGrew = list->width() > listBefore.width() && list->height() > listBefore.height();
    user_.Click(categories, kCategoriesChange);
    Window &form = user_.WaitForWindow("Category Will Be Changed");
    firstTab = form.Get<SheetControl>(kCatSheet).Choice();
    user_.ClickTab(form, kCatSheet, 3);
    siteBarShown = form.Get<ListControl>(kCatSiteList).ScrollBarShown();
    user_.Click(form, kCatCancel);
    user_.Until([&] { return user_.Closed(&form); });
  });
  EXPECT_TRUE(inside);
  EXPECT_TRUE(listGrew); // Browse Categories scales its controls with the window
  EXPECT_EQ("Category", heading);
  EXPECT_EQ(1, firstTab);
  // The program's pictures are drawn beside it when it is built, the category form's icon too.
  EXPECT_FALSE(QImage(QFileInfo(qEnvironmentVariable("VORNIX_BIN")).dir().filePath("CANADA.ICO")).isNull());
  EXPECT_FALSE(siteBarShown);
}

// File > Print Setup opens the printer set-up: titled so, its button says OK, not Print.
TEST_F(FrameByUser, PrintSetupIsTitledAndLabelledAsASetUp) {
  QString title;
  QStringList buttons;
  RunProgram([&] {
    user_.WaitForWindow("Browse Locations");
    Window::Frame()->Get<MenuItemControl>(kMenuPrintSetup).Choose();
    QPrintDialog *dialog = nullptr;
    user_.Until(
        [&] {
          for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *shown = qobject_cast<QPrintDialog *>(widget); shown && shown->isVisible())
              dialog = shown;
          }
          return dialog != nullptr;
        },
        "the printer set-up");
    title = dialog->windowTitle();
    for (QAbstractButton *button : dialog->findChild<QDialogButtonBox *>()->buttons())
      buttons << button->text().remove('&');
    dialog->reject();
    user_.Settle();
  });
  EXPECT_EQ("Print Setup", title.toStdString());
  EXPECT_TRUE(buttons.contains("OK")) << buttons.join('|').toStdString();
  EXPECT_FALSE(buttons.contains("Print")) << buttons.join('|').toStdString();
}

} // namespace
} // namespace vx
