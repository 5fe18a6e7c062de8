#include "proxy/engine/autobrowse/outbasket_mark.h"
#include "proxy/engine/bookmarks/bookmark_format.h"
#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/browser/browser_conversation.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/engine_cache_links.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/dde_test_server.h"
#include "proxy/platform/dde_wire.h"
#include "proxy/platform/dialog_sink.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/bookmarks/auto_form.h"
#include "proxy/windows/bookmarks/ext_outline.h"
#include "proxy/windows/bookmarks/node_prop_form.h"

#include "support/recording_file_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace ql {
namespace {

// The tree as indented titles, one line each.
std::string Outline(const TBookmarkOutline &tree) {
  QStringList lines;
  tree.ForEach([&lines](const TBookmarkNode &node) {
    lines << QString(2 * (node.Level() - 1), QLatin1Char(' ')) + QString::fromUtf8(node.Info().Title);
  });
  return lines.join(QLatin1Char('\n')).toStdString();
}

// Acts on the Properties dialog once the window runs it modally. A dialog that the act left
// open is cancelled, so that a failing test ends.
void WhenPropertiesShow(std::function<void(TNodePropForm &)> act) {
  auto *poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
    if (auto *form = dynamic_cast<TNodePropForm *>(QApplication::activeModalWidget())) {
      poll->deleteLater();
      act(*form);
      if (form->isVisible()) {
        ADD_FAILURE() << "the Properties dialog stayed open";
        form->reject();
      }
    }
  });
  poll->start(1);
}

// The Bookmarks window over a temporary data directory, settings store, cache and runtime
// directory (where test services stand in for the browser).
class AutoFormTest : public ::testing::Test {
protected:
  AutoFormTest()
      : savedRuntime_(qgetenv("XDG_RUNTIME_DIR")), registry_(dir_.filePath("registry.reg")),
        settings_(kQuenlarkSettingsKey, registry_), cache_(settings_, EngineCacheLinks()) {
    qputenv("XDG_RUNTIME_DIR", dir_.filePath("runtime").toUtf8());
    ResetEngineState();
    DataDirectory = dir_.filePath("data") + "/";
    DefaultItemSizeLimit = 204800;
    cache_.LoadCacheIndex();
    DDEServiceName = QStringLiteral("NETSCAPE");
    dde_.SetLauncher([](const QString &) { return UINT(2); });
  }
  ~AutoFormTest() override {
    Close();
    ResetEngineState();
    PlainBrowserStart = false;
    qputenv("XDG_RUNTIME_DIR", savedRuntime_);
  }

  void Open(bool holdFiles = false) {
    TAutoFormSetup setup;
    setup.settings = &settings_;
    setup.cache = &cache_;
    setup.dde = &dde_;
    setup.dataDirectory = cache_.DataDir();
    setup.holdFiles = holdFiles;
    setup.startBrowser = [this] {
      ++browserStarts_;
      plainStart_ = PlainBrowserStart;
    };
    form_ = std::make_unique<TAutoForm>(setup);
    properties_ = std::make_unique<TNodePropForm>();
    form_->SetDialogs(properties_.get(), nullptr);
  }
  void Close() {
    form_.reset();
    properties_.reset();
  }
  // Opens the window, small, on the screen.
  void ShowSmall() {
    Open();
    form_->resize(324, 360);
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  }
  TBookmarkOutline &Tree() { return form_->Tree(); }
  TBookmarkNode *Add(TBookmarkNode *parent, const char *title, bool folder, const char *url = nullptr) {
    auto info = std::make_unique<TBMInfo>();
    info->Title = title;
    info->Folder = folder ? 1 : 0;
    if (url != nullptr)
      info->URL = url;
    return Tree().Append(parent, std::move(info));
  }
  QString Path(const char *name) const { return cache_.DataDir() + QLatin1String(name); }
  QString BrowserBookmarks() const {
    return qEnvironmentVariable("TEST_SOURCE_DIR") +
           "/../../engine/bookmarks/tests/data/browser-bookmarks.html";
  }
  // A browser's bookmark file "F0" of `depth` folders, each inside the one before: its import
  // folder F0 holds F1, F1 holds F2 and so on, and the last a bookmark.
  QString NestedFolders(const char *name, int depth) {
    QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1><TITLE>F0</TITLE><DL><p>";
    for (int level = 1; level <= depth; ++level)
      html += "<DT><H3>F" + QByteArray::number(level) + "</H3><DL><p>";
    html += "<DT><A HREF=\"http://deep.example/\">Bottom</A>";
    QFile file(dir_.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(html);
    return file.fileName();
  }
  // Runs a command of the window's menus.
  void Command(const QString &text) {
    for (QAction *action : form_->actions()) {
      if (action->text() == text) {
        action->trigger();
        QApplication::processEvents();
        return;
      }
    }
    ADD_FAILURE() << "no command " << text.toStdString();
  }
  QStringList Messages() const {
    QStringList texts;
    for (const DialogRequest &request : dialogs_.Requests())
      texts << request.text;
    return texts;
  }

  QByteArray savedRuntime_;
  QTemporaryDir dir_;
  Registry registry_;
  TRegIniFile settings_;
  TProxyCache cache_;
  RecordingDialogSink dialogs_;
  TBrowserConversation dde_;
  int browserStarts_ = 0;
  bool plainStart_ = false; // PlainBrowserStart during the last start
  std::unique_ptr<TAutoForm> form_;
  std::unique_ptr<TNodePropForm> properties_;
};

TEST_F(AutoFormTest, AnImportedBookmarkFileSurvivesTheNextStart) {
  Open();
  EXPECT_TRUE(Tree().IsEmpty());
  form_->NewDocClick();
  EXPECT_EQ(Messages(), QStringList({"You must create a folder first"}));
  form_->ImportFile(qEnvironmentVariable("TEST_SOURCE_DIR") +
                    "/../../engine/bookmarks/tests/data/browser-bookmarks.html");
  ASSERT_EQ(Tree().Count(), 12);
  const std::string imported = Outline(Tree());
  form_->Outline().Select(Tree().Item(8)); // "NHK ニュース"
  settings_.WriteString("General", "DDEServiceName", "BOGUS");
  Close();

  // The window's destruction wrote the tree, the selected row and the service name in use.
  QFile file(Path("auto.dat"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(settings_.ReadInteger("Bookmarks", "Selected", -1), 8);
  EXPECT_EQ(settings_.ReadString("General", "DDEServiceName", ""), "NETSCAPE");

  Open();
  EXPECT_EQ(Outline(Tree()), imported);
  EXPECT_EQ(form_->Selected(), Tree().Item(8));
  EXPECT_TRUE(QFile::exists(Path("auto.bak")));
}

TEST_F(AutoFormTest, CopyCutAndPasteGoThroughTheClipboardText) {
  Open();
  TBookmarkNode *daily = Add(nullptr, "Daily", true);
  daily->Info().Scheduled = 1;
  daily->Info().Days = 2;
  TBookmarkNode *news = Add(daily, "News", false, "http://news.example/");
  news->Info().UserName = "me";
  news->Info().Comments = "Every morning";
  // Words enough that the copied text runs far past 4096 characters.
  news->Info().KillWords = QByteArray("logout\r\n").repeated(700);
  TBookmarkNode *other = Add(nullptr, "Other", true);
  const QByteArray newsWords = news->Info().KillWords;
  form_->Outline().Select(news);
  form_->Cut1Click();
  EXPECT_GT(QGuiApplication::clipboard()->text().size(), 4096 + 3000);
  EXPECT_TRUE(dialogs_.Requests().empty()); // no question
  EXPECT_EQ(Outline(Tree()), "Daily\nOther");
  EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("News\r\nhttp://news.example/\r\n\r\n-----"));

  // Pasted into the scheduled folder: its marks, a next date, no user name.
  form_->Outline().Select(daily);
  form_->PasteFromClipboard();
  ASSERT_EQ(Outline(Tree()), "Daily\n  News\nOther");
  const TBMInfo &pasted = Tree().Item(2)->Info();
  EXPECT_EQ(pasted.Scheduled, 1);
  EXPECT_GT(pasted.NextRefresh, Now());
  EXPECT_TRUE(pasted.UserName.isNull());
  EXPECT_EQ(pasted.Comments, "Every morning");
  EXPECT_EQ(pasted.KillWords, newsWords);
  // Into the unscheduled one.
  form_->Outline().Select(other);
  form_->PasteFromClipboard();
  EXPECT_EQ(Tree().Item(4)->Info().Scheduled, 0);

  // A damaged block says so; a text with an address asks for the new bookmark.
  QGuiApplication::clipboard()->setText("Vm9zY28hAAACAAAAEAAAAA==");
  form_->PasteFromClipboard();
  EXPECT_EQ(Messages(), QStringList({"Incomplete bookmark in clipboard data."}));
  QGuiApplication::clipboard()->setText("Worth reading every week: http://weekly.example/list.");
  form_->Outline().Select(other);
  WhenPropertiesShow([](TNodePropForm &form) { form.OKButtonClick(); });
  form_->PasteFromClipboard();
  EXPECT_EQ(Outline(Tree()), "Daily\n  News\nOther\n  Worth reading every week:\n  News");
  EXPECT_EQ(Tree().Item(4)->Info().URL, "http://weekly.example/list");
}

TEST_F(AutoFormTest, DeletingRefusesLockedBookmarksAndTakesTheAutobrowseEntries) {
  Open();
  TBookmarkNode *folder = Add(nullptr, "Sites", true);
  TBookmarkNode *site = Add(folder, "Site", false, "http://site.example/");
  const int32_t serial = site->Info().SerialId;
  const auto store = [this](int32_t id, uint8_t type, int32_t bookmark) {
    TCacheItem item;
    item.ID = id;
    item.URL = "http://site.example:80/" + QByteArray::number(id);
    item.MimeIndex = 1;
    item.EntryType = type;
    item.BMSerial = bookmark;
    item.Length = 4;
    cache_.Index().Put(std::move(item));
    QFile body(cache_.Store().BodyPath(id));
    ASSERT_TRUE(body.open(QIODevice::WriteOnly));
    body.write("body");
  };
  for (int32_t id = 1; id <= 25; ++id)
    store(id, id % 5 == 0 ? Normal : Auto, id % 2 == 0 ? serial : serial + 1);

  site->Info().Locked = 1;
  form_->Outline().Select(folder);
  form_->DeleteFromOutline();
  EXPECT_EQ(Messages(), QStringList({"Bookmark is currently locked."}));
  EXPECT_EQ(Tree().Count(), 2);

  site->Info().Locked = 0;
  dialogs_.Answer(DialogButton::Cancel);
  form_->DeleteFromOutline();
  EXPECT_EQ(Tree().Count(), 2);
  dialogs_.Answer(DialogButton::Ok);
  OutbasketStale = false;
  form_->DeleteFromOutline();
  EXPECT_TRUE(Tree().IsEmpty());
  EXPECT_TRUE(OutbasketStale);
  EXPECT_EQ(Messages().back(), "Delete selected item?");
  // The bookmark's Auto entries are gone with their bodies; the others stay.
  for (int32_t id = 1; id <= 25; ++id) {
    const bool gone = id % 5 != 0 && id % 2 == 0;
    EXPECT_EQ(cache_.Index().FindCacheItemById(id) == nullptr, gone) << id;
    EXPECT_EQ(QFile::exists(cache_.Store().BodyPath(id)), !gone) << id;
  }
}

TEST_F(AutoFormTest, DropsMoveNodesButNeverIntoThemselvesAndRowsBecomeBookmarks) {
  Open();
  TBookmarkNode *a = Add(nullptr, "A", true);
  TBookmarkNode *b = Add(a, "B", true);
  TBookmarkNode *x = Add(nullptr, "x", false, "http://x/");
  form_->SaveExtOutline(); // three new nodes at once: written at once
  ASSERT_TRUE(QFile::remove(Path("auto.dat")));
  for (int call = 0; call < 14; ++call)
    form_->SaveExtOutline();
  form_->MoveNode(a, b);
  form_->MoveNode(a, a);
  EXPECT_EQ(Outline(Tree()), "A\n  B\nx");
  EXPECT_EQ(form_->File().SaveCalls(), 14);
  form_->MoveNode(x, b);
  form_->MoveNode(b, nullptr);
  EXPECT_EQ(Outline(Tree()), "A\nB\n  x");
  EXPECT_EQ(form_->File().SaveCalls(), 0); // the 16th call wrote the file
  EXPECT_TRUE(QFile::exists(Path("auto.dat")));

  // A Cache Explorer row dropped on a bookmark goes before it, with the folder's schedule.
  b->Info().Scheduled = 1;
  b->Info().Depth = 3;
  WhenPropertiesShow([](TNodePropForm &form) {
    EXPECT_EQ(form.findChild<QLineEdit *>("NameEdit")->text(), "Row title");
    form.OKButtonClick();
  });
  form_->DropUrl(x, "Row title", "http://row.example/");
  EXPECT_EQ(Outline(Tree()), "A\nB\n  Row title\n  x");
  EXPECT_EQ(Tree().Item(3)->Info().Depth, 3);
  EXPECT_EQ(Tree().Item(3)->Info().Scheduled, 1);
  EXPECT_LT(Tree().Item(3)->Info().NextRefresh, 1000000);
  // Cancel takes the new node away again.
  WhenPropertiesShow([](TNodePropForm &form) { form.reject(); });
  form_->DropUrl(x, "Dropped", "http://dropped.example/");
  EXPECT_EQ(Tree().Count(), 4);
}

// A tree as deep as the bookmark file holds is imported, shown, saved and read again; an
// import or a move that would go deeper is refused with a message and changes nothing.
TEST_F(AutoFormTest, NothingTakesTheTreeDeeperThanTheFileHolds) {
  const QString tooDeep = QStringLiteral(": the bookmark tree cannot be deeper than 65535 levels.");
  Open();
  form_->show();
  form_->ImportFile(NestedFolders("deeper.html", kMaxBookmarkLevel - 1));
  EXPECT_EQ(Messages(), QStringList({"Nothing was imported" + tooDeep}));
  EXPECT_TRUE(Tree().IsEmpty());

  form_->ImportFile(NestedFolders("deepest.html", kMaxBookmarkLevel - 2));
  ASSERT_EQ(Tree().Count(), kMaxBookmarkLevel);
  // The outline opens as many levels as it can show.
  form_->ExpandAllClick();
  QApplication::processEvents();
  EXPECT_TRUE(form_->Outline().isExpanded(form_->Outline().model()->index(0, 0)));
  TBookmarkNode *other = Add(nullptr, "Other", true);
  Add(other, "inner", false, "http://inner.example/");
  TBookmarkNode *bottom = Tree().Item(kMaxBookmarkLevel);
  form_->MoveNode(other, bottom);
  EXPECT_EQ(Messages().back(), "The item was not moved" + tooDeep);
  EXPECT_EQ(other->Level(), 1);
  // One level higher its bookmark lands on the deepest level: that move is taken.
  form_->MoveNode(other, bottom->Parent()->Parent());
  EXPECT_EQ(other->Child(0)->Level(), kMaxBookmarkLevel);
  form_->MoveNode(other, nullptr);
  EXPECT_EQ(other->Level(), 1);
  // A new folder beside the bottom bookmark lies on the deepest level; nothing goes into it.
  form_->Outline().Select(Tree().Item(kMaxBookmarkLevel));
  WhenPropertiesShow([](TNodePropForm &form) { form.OKButtonClick(); });
  form_->NewFolderClick();
  ASSERT_EQ(Tree().Count(), kMaxBookmarkLevel + 3);
  ASSERT_EQ(form_->Selected()->Level(), kMaxBookmarkLevel);
  WhenPropertiesShow([](TNodePropForm &form) { form.reject(); });
  form_->NewDocClick();
  EXPECT_EQ(Messages().back(), "Nothing was added" + tooDeep);
  EXPECT_EQ(Tree().Count(), kMaxBookmarkLevel + 3);

  Close();
  Open();
  ASSERT_EQ(Tree().Count(), kMaxBookmarkLevel + 3);
  EXPECT_EQ(Tree().Item(kMaxBookmarkLevel + 1)->Level(), kMaxBookmarkLevel);
  EXPECT_EQ(Tree().Item(kMaxBookmarkLevel + 1)->Info().URL, "http://deep.example/");
}

TEST_F(AutoFormTest, OpeningABookmarkTalksToTheBrowserOrStartsIt) {
  Open();
  TBookmarkNode *folder = Add(nullptr, "F", true);
  TBookmarkNode *site = Add(folder, "Site", false, "http://site.example:80/page");
  site->Info().HasAutoEntries = 1;
  form_->Outline().Select(site);

  // No browser answers, and no browser command takes the URL: the browser is started without a
  // start page, and the URL waits.
  form_->OpenInBrowserClick();
  EXPECT_EQ(site->Info().HasAutoEntries, 0);
  EXPECT_EQ(browserStarts_, 1);
  EXPECT_TRUE(plainStart_);
  EXPECT_FALSE(PlainBrowserStart);
  EXPECT_TRUE(form_->URLTimerRunning());
  form_->URLTimerTimer();
  EXPECT_TRUE(form_->URLTimerRunning());

  // The browser now answers: the URL goes to it, and everything is as before.
  TDdeTestServer browser(QStringLiteral("NETSCAPE"));
  ASSERT_TRUE(browser.Listening());
  form_->URLTimerTimer();
  EXPECT_FALSE(form_->URLTimerRunning());
  EXPECT_FALSE(PlainBrowserStart);
  EXPECT_TRUE(EngineSettings.ShowBookmarks);
  EXPECT_TRUE(settings_.ReadBool("General", "ShowBookmarks", false));
  QStringList opened;
  for (const TDdeExchange &exchange : browser.Exchanges()) {
    if (exchange.kind == kDdeRequest)
      opened << exchange.topic + " " + QString::fromUtf8(exchange.item);
  }
  EXPECT_EQ(opened, QStringList({"WWW_Activate 0xFFFFFFFF,0x0",
                                 "WWW_OpenURL \"http://site.example/page\",,0xFFFFFFFF,0x3,\"\",\"\","}));

  // Grab: the page the browser shows becomes a bookmark.
  browser.Reply("0xFFFFFFFF", "\"http://shown.example/\",\"Shown page\"");
  WhenPropertiesShow([](TNodePropForm &form) { form.OKButtonClick(); });
  form_->PasteFromDDE();
  EXPECT_EQ(Outline(Tree()), "F\n  Shown page\n  Site");
}

// Each command is offered where it can act: New on an empty tree says what must come first,
// Show Auto Items needs a bookmark, Grab a browser that answers over DDE.
TEST_F(AutoFormTest, CommandsAreOfferedWhereTheyCanAct) {
  Open();
  form_->show();
  auto *newDoc = form_->findChild<QToolButton *>("NewDocButton");
  ASSERT_NE(newDoc, nullptr);
  QTest::mouseClick(newDoc, Qt::LeftButton);
  EXPECT_EQ(Messages(), QStringList({"You must create a folder first"}));

  QList<QAction *> showAutoItems;
  for (const QMenu *menu : form_->findChildren<QMenu *>()) {
    if (menu->title() == "Show &Auto Items")
      showAutoItems << menu->menuAction();
  }
  ASSERT_EQ(showAutoItems.size(), 2) << "in the Bookmark menu and the popup";
  QAction *grab = nullptr;
  for (QAction *action : form_->actions()) {
    if (action->text() == "&Grab From Browser...")
      grab = action;
  }
  ASSERT_NE(grab, nullptr);
  auto *grabButton = form_->findChild<QToolButton *>("SpeedButton4");

  TBookmarkNode *folder = Add(nullptr, "F", true);
  TBookmarkNode *site = Add(folder, "Site", false, "http://site.example/");
  form_->Outline().Select(folder);
  for (const QAction *entry : showAutoItems)
    EXPECT_FALSE(entry->isEnabled()) << "a folder has no Autobrowse entries of its own";
  EXPECT_FALSE(grab->isEnabled()) << "no browser answers";
  EXPECT_FALSE(grabButton->isEnabled());

  TDdeTestServer browser(QStringLiteral("IEXPLORE"));
  ASSERT_TRUE(browser.Listening());
  form_->Outline().Select(site);
  for (const QAction *entry : showAutoItems)
    EXPECT_TRUE(entry->isEnabled());
  EXPECT_TRUE(grab->isEnabled());
  EXPECT_TRUE(grabButton->isEnabled());
}

TEST_F(AutoFormTest, ImportOffersBrowserExportsStartingInTheHomeFolder) {
  const test::TemporaryHome home(dir_.filePath("home"));
  test::RecordingFileDialogs files;
  Open();
  form_->ImportClick();
  ASSERT_EQ(files.Requests().size(), 1u);
  EXPECT_EQ(files.Requests()[0].title, "Import Bookmark");
  EXPECT_EQ(files.Requests()[0].filter,
            "Netscape bookmark|bookmark.htm;bookmarks.html|HTML document|*.htm;*.html|All files|*");
  EXPECT_EQ(files.Requests()[0].directory, dir_.filePath("home"));
}

TEST_F(AutoFormTest, HeldFilesAreNeitherReadNorWritten) {
  QDir().mkpath(cache_.DataDir());
  QFile file(Path("auto.dat"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray("\x02\x10", 2));
  file.close();
  Open(true);
  Add(nullptr, "New", true);
  Close();
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("\x02\x10", 2));
  EXPECT_FALSE(QFile::exists(Path("auto.bak")));
}

// The current row, with the start of its title, lies inside the outline's view.
::testing::AssertionResult CurrentRowInView(const TExtOutline &outline) {
  const QRect row = outline.visualRect(outline.currentIndex());
  const QRect view = outline.viewport()->rect();
  if (row.isValid() && row.top() >= 0 && row.bottom() <= view.bottom() && row.left() >= 0 &&
      row.left() + 20 <= view.right())
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "row at (" << row.x() << ", " << row.y() << ") in a view of "
                                       << view.width() << " x " << view.height();
}

// End, Home and Down move the selection by rows; every move keeps it in view.
TEST_F(AutoFormTest, TheKeyboardSelectionStaysInView) {
  ShowSmall();
  for (int import = 0; import < 3; ++import)
    form_->ImportFile(BrowserBookmarks());
  Command("E&xpand All");
  TExtOutline &outline = form_->Outline();
  outline.setFocus();
  QTest::keyClick(&outline, Qt::Key_End);
  EXPECT_EQ(form_->Selected(), Tree().Item(Tree().Count()));
  EXPECT_TRUE(CurrentRowInView(outline));
  EXPECT_EQ(form_->StatusText(), " " + QString::fromUtf8(form_->Selected()->Info().URL));
  QTest::keyClick(&outline, Qt::Key_Home);
  EXPECT_TRUE(CurrentRowInView(outline));
  for (int down = 0; down < 30; ++down)
    QTest::keyClick(&outline, Qt::Key_Down);
  EXPECT_EQ(form_->Selected(), Tree().Item(31));
  EXPECT_TRUE(CurrentRowInView(outline));
}

// After Expand All on a tree 20,000 levels deep the outline scrolls sideways as far as its
// deepest row shown, and draws the rows wherever the scroll takes it.
TEST_F(AutoFormTest, DeepRowsAreReachedByAScrollBarAndDrawn) {
  ShowSmall();
  form_->ImportFile(NestedFolders("deep.html", 20000));
  ASSERT_EQ(Tree().Count(), 20002);
  Command("E&xpand All");
  TExtOutline &outline = form_->Outline();
  QScrollBar *sideways = outline.horizontalScrollBar();
  EXPECT_TRUE(sideways->isVisible());
  EXPECT_GE(sideways->maximum(), outline.indentation() * (TExtOutline::kMaxOpenLevel - 1) - outline.width());

  // The deepest row shown, reached by the keyboard and then by the scroll bars alone.
  outline.setFocus();
  QTest::keyClick(&outline, Qt::Key_End);
  ASSERT_NE(form_->Selected(), nullptr);
  EXPECT_EQ(form_->Selected()->Level(), TExtOutline::kMaxOpenLevel);
  EXPECT_TRUE(CurrentRowInView(outline));
  sideways->setValue(0);
  outline.verticalScrollBar()->setValue(0);
  QApplication::processEvents();
  sideways->setValue(sideways->maximum());
  outline.verticalScrollBar()->setValue(outline.verticalScrollBar()->maximum());
  QApplication::processEvents();
  EXPECT_TRUE(CurrentRowInView(outline));
  // The row's title is drawn: its pixels are not all the view's background.
  const QImage picture = outline.viewport()->grab().toImage();
  const QRect title = outline.visualRect(outline.currentIndex()).intersected(outline.viewport()->rect());
  ASSERT_FALSE(title.isEmpty());
  const QColor background = picture.pixelColor(title.left(), title.top());
  int drawn = 0;
  for (int x = title.left(); x <= title.right(); ++x) {
    for (int y = title.top(); y <= title.bottom(); ++y)
      drawn += picture.pixelColor(x, y) != background ? 1 : 0;
  }
  EXPECT_GT(drawn, 20);

  // A longer title widens the column as far as it reaches.
  const int width = outline.RowsWidth();
  form_->Selected()->Info().Title = QByteArray(60, 'w');
  Tree().NodeChanged(form_->Selected());
  QApplication::processEvents();
  EXPECT_GE(outline.RowsWidth(), width + outline.fontMetrics().horizontalAdvance(QString(50, 'w')));
  EXPECT_GE(outline.visualRect(outline.currentIndex()).width(),
            outline.sizeHintForIndex(outline.currentIndex()).width());
  EXPECT_EQ(sideways->maximum(), outline.RowsWidth() - outline.viewport()->width());
}

// The outline over a tree 20,000 folders deep, its top folder F0 selected with the mouse, View >
// Expand Branch, End and Up ten times: with the horizontal scroll bar at its right end, the
// rows that reach that far show whole, the deepest too.
TEST_F(AutoFormTest, TheScrollBarReachesTheEndOfTheWidestRow) {
  ShowSmall();
  form_->ImportFile(NestedFolders("deep.html", 20000));
  TExtOutline &outline = form_->Outline();
  QWidget *rows = outline.viewport();
  const QModelIndex top = outline.model()->index(0, 0);
  QTest::mouseClick(rows, Qt::LeftButton, {}, outline.visualRect(top).center());
  ASSERT_EQ(form_->Selected(), Tree().Item(1));
  Command("Expand &Branch");
  QTest::keyClick(&outline, Qt::Key_End);
  ASSERT_EQ(form_->Selected()->Level(), TExtOutline::kMaxOpenLevel);
  const QModelIndex deepest = outline.currentIndex();
  for (int up = 0; up < 10; ++up)
    QTest::keyClick(&outline, Qt::Key_Up);
  ASSERT_EQ(form_->Selected()->Info().Title, QByteArray("F1989"));
  QScrollBar *sideways = outline.horizontalScrollBar();
  sideways->triggerAction(QAbstractSlider::SliderToMaximum);
  QApplication::processEvents();
  for (const QModelIndex &row : {deepest, outline.currentIndex()}) {
    const QRect cell = outline.visualRect(row);
    EXPECT_GE(cell.width(), outline.sizeHintForIndex(row).width()) << row.data().toString().toStdString();
    EXPECT_LE(cell.left() + outline.sizeHintForIndex(row).width(), rows->width())
        << row.data().toString().toStdString();
  }
}

// The next start with that tree restores the first row shown and the selection, F1989, and
// opens the outline at its left edge, where the top rows' expanders are.
TEST_F(AutoFormTest, TheOutlineOpensWhereItWasAtItsLeftEdge) {
  ShowSmall();
  form_->ImportFile(NestedFolders("deep.html", 20000));
  form_->Outline().Select(Tree().Item(1));
  Command("Expand &Branch");
  TBookmarkNode *selected = Tree().Item(1990);
  ASSERT_EQ(selected->Info().Title, QByteArray("F1989"));
  form_->Outline().Select(selected);
  const TBookmarkNode *top = form_->Outline().NodeAt(QPoint(1, 1));
  ASSERT_NE(top, nullptr);
  ASSERT_NE(top, selected);
  const int topItem = Tree().ItemNumber(top);
  Close();
  ShowSmall();
  QApplication::processEvents();
  EXPECT_EQ(form_->Selected(), Tree().Item(1990));
  EXPECT_EQ(form_->Outline().NodeAt(QPoint(1, 1)), Tree().Item(topItem));
  QScrollBar *sideways = form_->Outline().horizontalScrollBar();
  EXPECT_GT(sideways->maximum(), 0);
  EXPECT_EQ(sideways->value(), 0);
}

// The status bar tells of the selected node: a button's hint gives way to it once the
// selection changes, and it is empty when nothing is selected.
TEST_F(AutoFormTest, TheStatusBarFollowsTheSelection) {
  test::RecordingFileDialogs files;
  Open();
  form_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  auto *paste = form_->findChild<QToolButton *>("PasteButton");
  QTest::mouseMove(paste);
  QApplication::processEvents();
  ASSERT_EQ(form_->StatusText(), " Paste URL from clipboard");
  files.Answer(BrowserBookmarks());
  Command("&Import...");
  ASSERT_EQ(Tree().Count(), 12);
  EXPECT_EQ(form_->StatusText().trimmed(), "") << "the import's folder has no URL";

  TExtOutline &outline = form_->Outline();
  outline.Select(Tree().Item(3));
  ASSERT_FALSE(form_->Selected()->IsFolder());
  EXPECT_EQ(form_->StatusText(), " " + QString::fromUtf8(Tree().Item(3)->Info().URL));
  // Deleting the one top folder leaves nothing to select, and nothing to tell.
  outline.Select(Tree().Item(1));
  dialogs_.Answer(DialogButton::Ok);
  QTest::keyClick(&outline, Qt::Key_Delete);
  ASSERT_TRUE(Tree().IsEmpty());
  EXPECT_EQ(form_->Selected(), nullptr);
  EXPECT_EQ(form_->StatusText(), "");
}

// An import counts as one change, but one that added a folder with all it holds: it is written
// to auto.dat as soon as it is done, not when 15 more changes come; single changes wait again.
TEST_F(AutoFormTest, AnImportIsWrittenAtOnce) {
  Open();
  Add(nullptr, "Mine", true);
  form_->SaveExtOutline();
  form_->Outline().Select(Tree().Item(1));
  form_->ImportFile(BrowserBookmarks());
  ASSERT_EQ(Tree().Count(), 13);
  EXPECT_EQ(form_->File().SaveCalls(), 0);
  QFile file(Path("auto.dat"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray imported = WriteBookmarkFile(Tree());
  EXPECT_EQ(file.readAll(), imported);
  file.close();
  Add(nullptr, "Later", true);
  form_->SaveExtOutline();
  EXPECT_EQ(form_->File().SaveCalls(), 1);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), imported);
}

} // namespace
} // namespace ql
