#include "proxy/windows/bookmarks/auto_form.h"

#include "proxy/engine/browser/browser_dde.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/pages/proxy_road.h"
#include "proxy/platform/dde_wire.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/timer_scale.h"
#include "proxy/windows/bookmarks/ext_outline.h"
#include "proxy/windows/bookmarks/outline_model.h"
#include "proxy/windows/cache_explorer/progress_panel.h"
#include "proxy/windows/common/form_placement.h"
#include "proxy/windows/common/help_window.h"
#include "proxy/windows/common/panel_button.h"
#include "proxy/windows/control_bar/about_form.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace ql {

namespace {

constexpr int kHelpContents = 1;
constexpr int kHelpBookmarks = 11;
constexpr unsigned kUrlTimerMs = 5000;
const QString kBookmarks = QStringLiteral("Bookmarks");
const QString kGeneral = QStringLiteral("General");

// 250 pixels at 120 pixels per inch, scaled with the screen.
int MinimumHeight() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  const double dpi = screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
  return static_cast<int>(250 * dpi / 120);
}

QIcon StandardIcon(QStyle::StandardPixmap pixmap) {
  return QApplication::style()->standardIcon(pixmap);
}

// True when a browser has a DDE service under one of the names of the cycle.
bool BrowserServiceListed() {
  QString service = QStringLiteral("NETSCAPE");
  for (int name = 0; name < 3; ++name, service = NextDDEServiceName(service)) {
    if (DdeServiceListed(service))
      return true;
  }
  return false;
}

// The service name read from the settings: one of the three the browsers answer to.
QString KnownServiceName(const QString &name) {
  const QString cut = name.left(8);
  if (cut == QLatin1String("NETSCAPE") || cut == QLatin1String("IEXPLORE") || cut == QLatin1String("MOSAIC"))
    return cut;
  return QStringLiteral("NETSCAPE");
}

} // namespace

TAutoForm::TAutoForm(const TAutoFormSetup &setup, QWidget *parent)
    : QMainWindow(parent), settings_(*setup.settings), cache_(setup.cache), dde_(setup.dde),
      startBrowser_(setup.startBrowser), file_(setup.dataDirectory), engineTree_(tree_, file_, [this] {
        outline_->viewport()->update();
        UpdateMenus();
      }) {
  setWindowTitle(kBookmarks);
  BuildWidgets();
  BuildMenus();
  const QScreen *screen = QGuiApplication::primaryScreen();
  RestoreFormPlacement(*this, settings_, screen != nullptr ? screen->size() : QSize(1024, 768));
  if (setup.holdFiles)
    file_.Hold();
  else
    LoadExtOutline();
  ReadPlacementOfRows();
  DDEServiceName = KnownServiceName(
      settings_.ReadString(kGeneral, QStringLiteral("DDEServiceName"), QStringLiteral("NETSCAPE")));
  UpdateMenus();
  if (EngineSettings.AutoStartBrowser && startBrowser_ && !file_.Held())
    startBrowser_();
}

TAutoForm::~TAutoForm() {
  if (road_ != nullptr) {
    if (road_->Autobrowse().Running())
      road_->Autobrowse().StopAutobrowseSession();
    road_->SetBookmarkTree(nullptr);
  }
  urlTimer_->stop();
  SaveFormPlacement(*this, settings_);
  WriteSettings();
  SaveExtOutlineNoDelay();
}

void TAutoForm::SetDialogs(TNodePropForm *properties, TCacheForm *cacheExplorer) {
  properties_ = properties;
  cacheExplorer_ = cacheExplorer;
  UpdateMenus();
}

void TAutoForm::LinkToEngine(TProxyRoad &road) {
  road_ = &road;
  road.SetBookmarkTree(&engineTree_);
}

QToolButton *TAutoForm::AddButton(const char *name, const QString &text, const QString &hint,
                                  void (TAutoForm::*handler)()) {
  QToolButton *button = AddPanelButton(*buttonPanel_, text, hint, this);
  button->setObjectName(QLatin1String(name));
  if (handler != nullptr)
    connect(button, &QToolButton::clicked, this, handler);
  return button;
}

void TAutoForm::BuildWidgets() {
  auto *central = new QWidget(this);
  auto *layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  buttonPanel_ = new QWidget(central);
  auto *buttons = new QHBoxLayout(buttonPanel_);
  buttons->setContentsMargins(4, 2, 4, 2);
  buttons->setSpacing(0);

  const auto button = [this](const char *name, const char *text, const char *hint,
                             void (TAutoForm::*handler)(), QStyle::StandardPixmap icon) {
    QToolButton *made = AddButton(name, QLatin1String(text), QLatin1String(hint), handler);
    made->setIcon(StandardIcon(icon));
    return made;
  };
  grabButton_ = button("SpeedButton4", "Grab", "Grab from Browser|Grab current URL and Title from browser",
                       &TAutoForm::PasteFromDDE, QStyle::SP_ArrowDown);
  QToolButton *paste = button("PasteButton", "Paste", "Paste|Paste URL from clipboard",
                              &TAutoForm::PasteFromClipboard, QStyle::SP_DialogApplyButton);
  button("NewDocButton", "New", "New bookmark|Create a new bookmark", &TAutoForm::NewDocClick,
         QStyle::SP_FileIcon);
  button("NewFolderButton", "Folder", "New folder|Create a new folder", &TAutoForm::NewFolderClick,
         QStyle::SP_FileDialogNewFolder);
  button("NewRootFolderButton", "Root", "New root|Create a new root folder", &TAutoForm::NewRootFolderClick,
         QStyle::SP_DirHomeIcon);
  QToolButton *edit = button("SpeedButton2", "Edit", "Edit|Edit bookmark properties",
                             &TAutoForm::PropertiesClick, QStyle::SP_FileDialogDetailedView);
  QToolButton *open = button("OpenInBrowserButton", "Open", "Open|Open document in browser",
                             &TAutoForm::OpenInBrowserClick, QStyle::SP_DialogOpenButton);
  QToolButton *list =
      button("SpeedButton1", "Domain", "Domain List|List cached items from domain in Cache Explorer",
             &TAutoForm::ListCachedItemsClick, QStyle::SP_FileDialogListView);
  QToolButton *autoList =
      button("SpeedButton3", "Auto", "Autobrowse List|List Autobrowsed items in Cache Explorer", nullptr,
             QStyle::SP_FileDialogContentsView);
  connect(autoList, &QToolButton::clicked, this, [this] { ShowAutoItemsClick(false); });
  QToolButton *remove = button("SpeedButton5", "Delete", "Delete|Delete currently selected item", nullptr,
                               QStyle::SP_TrashIcon);
  connect(remove, &QToolButton::clicked, this, [this] { DeleteFromOutline(false); });
  QToolButton *help =
      button("HelpButton", "Help", "Help|Display help on Bookmarks", nullptr, QStyle::SP_DialogHelpButton);
  connect(help, &QToolButton::clicked, this, [] { ShowHelpContext(kHelpBookmarks); });
  AddHelpKey(this, help);
  buttons->addStretch();
  // The New bookmark button stays enabled on an empty tree, to say that a folder must come
  // first.
  treeButtons_ = {paste, edit, remove};
  bookmarkButtons_ = {open, list, autoList};
  layout->addWidget(buttonPanel_);

  model_ = new TOutlineModel(tree_, this);
  outline_ = new TExtOutline(*model_, central);
  outline_->setObjectName(QStringLiteral("Outline"));
  TExtOutline::TCallbacks callbacks;
  callbacks.popup = [this](QPoint at) {
    UpdateMenus();
    popup_->exec(at);
  };
  callbacks.open = [this](TBookmarkNode *) { OpenInBrowserClick(); };
  callbacks.moveNode = [this](TBookmarkNode *node, TBookmarkNode *target) { MoveNode(node, target); };
  callbacks.dropUrl = [this](TBookmarkNode *target, const QString &title, const QString &url) {
    DropUrl(target, title, url);
  };
  callbacks.hover = [this](TBookmarkNode *node) { ShowNodeStatus(node); };
  outline_->SetCallbacks(std::move(callbacks));
  const auto selectionMayHaveChanged = [this] {
    UpdateMenus();
    ShowSelectedStatus();
  };
  connect(outline_->selectionModel(), &QItemSelectionModel::selectionChanged, this, selectionMayHaveChanged);
  connect(model_, &QAbstractItemModel::modelReset, this, selectionMayHaveChanged);
  connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { UpdateMenus(); });
  connect(model_, &QAbstractItemModel::rowsRemoved, this, selectionMayHaveChanged);
  // A changed URL shows at once; a change of another node leaves a button's hint alone.
  connect(model_, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &changed) {
    if (model_->NodeOf(changed) == Selected())
      ShowSelectedStatus();
  });
  layout->addWidget(outline_);
  setCentralWidget(central);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("StatusText"));
  statusBar()->addWidget(status_, 1);
  progressPanel_ = new TProgressPanel(this);
  progressPanel_->ShowProgressLine(false);

  urlTimer_ = new QTimer(this);
  urlTimer_->setInterval(ScaledInterval(kUrlTimerMs));
  connect(urlTimer_, &QTimer::timeout, this, &TAutoForm::URLTimerTimer);

  setMinimumHeight(MinimumHeight());
  // No narrower than the row of buttons, the help button's right edge with its margins.
  setMinimumWidth(buttonPanel_->minimumSizeHint().width());
  resize(std::max(minimumWidth(), 324), 460);
}

void TAutoForm::BuildMenus() {
  const auto action = [this](const QString &text, auto handler, const QKeySequence &keys = {}) {
    auto *made = new QAction(text, this);
    made->setShortcut(keys);
    made->setShortcutContext(Qt::WindowShortcut);
    connect(made, &QAction::triggered, this, handler);
    addAction(made);
    return made;
  };
  QAction *properties = action(QStringLiteral("P&roperties..."), &TAutoForm::PropertiesClick, Qt::Key_F2);
  QAction *cut = action(QStringLiteral("Cu&t"), &TAutoForm::Cut1Click, Qt::CTRL | Qt::Key_X);
  QAction *copy = action(QStringLiteral("&Copy"), &TAutoForm::Copy1Click, Qt::CTRL | Qt::Key_C);
  QAction *paste = action(QStringLiteral("&Paste"), &TAutoForm::PasteFromClipboard, Qt::CTRL | Qt::Key_V);
  QAction *remove = action(
      QStringLiteral("&Delete"), [this] { DeleteFromOutline(false); }, Qt::Key_Delete);
  QAction *expand = action(QStringLiteral("&Expand"), &TAutoForm::ExpandClick, Qt::CTRL | Qt::Key_E);
  QAction *expandBranch = action(QStringLiteral("Expand &Branch"), &TAutoForm::ExpandBranchClick);
  QAction *expandAll = action(QStringLiteral("E&xpand All"), &TAutoForm::ExpandAllClick);
  QAction *collapse = action(QStringLiteral("&Collapse"), &TAutoForm::CollapseClick);
  QAction *collapseAll = action(QStringLiteral("C&ollapse All"), &TAutoForm::CollapseAllClick);
  QAction *newDoc = action(QStringLiteral("&New Document"), &TAutoForm::NewDocClick, Qt::Key_Insert);
  QAction *newFolder =
      action(QStringLiteral("New &Folder..."), &TAutoForm::NewFolderClick, Qt::SHIFT | Qt::Key_Insert);
  QAction *newRoot = action(QStringLiteral("New &Root Folder..."), &TAutoForm::NewRootFolderClick,
                            Qt::CTRL | Qt::Key_Insert);
  grab_ = action(QStringLiteral("&Grab From Browser..."), &TAutoForm::PasteFromDDE, Qt::CTRL | Qt::Key_G);
  QAction *open = action(QStringLiteral("&Open In Browser"), &TAutoForm::OpenInBrowserClick, Qt::Key_F9);
  QAction *list = action(QStringLiteral("&List Cached Items"), &TAutoForm::ListCachedItemsClick);
  QAction *current = action(QStringLiteral("&Current"), [this] { ShowAutoItemsClick(false); });
  QAction *old = action(QStringLiteral("&Old"), [this] { ShowAutoItemsClick(true); });
  markAsUnread_ = action(QStringLiteral("&Mark As Unread"), &TAutoForm::MarkAsUnreadClick);
  moveToRoot_ = action(QStringLiteral("Mo&ve To Root"), &TAutoForm::MoveToRootClick);
  grabNextTime_ =
      action(QStringLiteral("&Grab Next Time"), &TAutoForm::GrabNextTimeClick, Qt::CTRL | Qt::Key_N);
  // The popup's New Document carries the dialog's dots; it is the same command.
  QAction *popupNewDoc = new QAction(QStringLiteral("&New Document...\tIns"), this);
  connect(popupNewDoc, &QAction::triggered, this, &TAutoForm::NewDocClick);

  needTree_ = {properties, paste,    remove,      expand, expandBranch,
               expandAll,  collapse, collapseAll, newDoc, popupNewDoc};
  needBookmark_ = {cut, copy, open, list, current, old, markAsUnread_, grabNextTime_};

  QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(action(QStringLiteral("&Import..."), &TAutoForm::ImportClick));
  file->addAction(action(QStringLiteral("&Close"), &QWidget::hide));
  QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  edit->addActions({properties, cut, copy, paste, remove});
  QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
  view->addActions({expand, expandBranch, expandAll, collapse, collapseAll});
  QMenu *bookmark = menuBar()->addMenu(QStringLiteral("&Bookmark"));
  bookmark->addActions({newDoc, newFolder, newRoot, grab_, open, list});
  QMenu *autoItems = bookmark->addMenu(QStringLiteral("Show &Auto Items"));
  autoItems->addActions({current, old});
  needBookmark_.push_back(autoItems->menuAction());
  bookmark->addAction(markAsUnread_);
  QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->addAction(action(QStringLiteral("&Contents"), [] { ShowHelpContext(kHelpContents); }));
  help->addAction(action(QStringLiteral("Help on &Bookmarks"), [] { ShowHelpContext(kHelpBookmarks); }));
  help->addAction(action(QStringLiteral("&About"), [this] {
    TAboutForm about(this);
    about.exec();
  }));

  popup_ = new QMenu(this);
  popup_->addActions({properties, cut, copy, paste, remove, open});
  popup_->addSeparator();
  popup_->addActions({popupNewDoc, newFolder, newRoot, moveToRoot_});
  popup_->addSeparator();
  popup_->addAction(list);
  QMenu *popupAuto = popup_->addMenu(QStringLiteral("Show &Auto Items"));
  popupAuto->addActions({current, old});
  needBookmark_.push_back(popupAuto->menuAction());
  popup_->addAction(grabNextTime_);
  popup_->addSeparator();
  popup_->addAction(QStringLiteral("Cancel"));
  for (QMenu *menu : {file, edit, view, bookmark, popup_})
    connect(menu, &QMenu::aboutToShow, this, &TAutoForm::UpdateMenus);
}

TBookmarkNode *TAutoForm::Selected() const {
  return outline_->Selected();
}

TBookmarkNode *TAutoForm::SelectedBookmark() const {
  TBookmarkNode *node = Selected();
  return node != nullptr && !node->IsFolder() ? node : nullptr;
}

void TAutoForm::UpdateMenus() {
  const bool any = !tree_.IsEmpty();
  const TBookmarkNode *selected = Selected();
  const TBookmarkNode *bookmark = SelectedBookmark();
  for (QAction *action : needTree_)
    action->setEnabled(any);
  for (QAction *action : needBookmark_)
    action->setEnabled(bookmark != nullptr);
  for (QToolButton *button : treeButtons_)
    button->setEnabled(any);
  for (QToolButton *button : bookmarkButtons_)
    button->setEnabled(bookmark != nullptr);
  moveToRoot_->setEnabled(selected != nullptr && selected->IsFolder());
  // Grab asks the browser over DDE for its page; without a browser that answers it could only
  // do nothing.
  const bool grab = any && BrowserServiceListed();
  grab_->setEnabled(grab);
  grabButton_->setEnabled(grab);
  grabNextTime_->setText(bookmark != nullptr && bookmark->Info().GetNextTime
                             ? QStringLiteral("Don't &Grab Next Time")
                             : QStringLiteral("&Grab Next Time"));
  markAsUnread_->setText(bookmark != nullptr && bookmark->Info().HasAutoEntries
                             ? QStringLiteral("&Mark As Read")
                             : QStringLiteral("&Mark As Unread"));
}

void TAutoForm::ShowNodeStatus(const TBookmarkNode *node) {
  if (node == nullptr)
    return;
  status_->setText(QLatin1Char(' ') + (node->IsFolder() ? QString() : DisplayText(node->Info().URL)));
}

void TAutoForm::ShowSelectedStatus() {
  if (const TBookmarkNode *node = Selected())
    ShowNodeStatus(node);
  else
    status_->clear();
}

QString TAutoForm::StatusText() const {
  return status_->text();
}

bool TAutoForm::eventFilter(QObject *watched, QEvent *event) {
  if (auto *button = qobject_cast<QToolButton *>(watched);
      button != nullptr && event->type() == QEvent::Enter)
    status_->setText(QLatin1Char(' ') + button->statusTip());
  return QMainWindow::eventFilter(watched, event);
}

void TAutoForm::resizeEvent(QResizeEvent *event) {
  QMainWindow::resizeEvent(event);
  if (progressPanel_->isVisible())
    progressPanel_->move((width() - progressPanel_->width()) / 2, (height() - progressPanel_->height()) / 2);
}

bool TAutoForm::LoadExtOutline() {
  const bool loaded = file_.Load(tree_);
  outline_->ShowExpandedNodes();
  return loaded;
}

void TAutoForm::SaveExtOutline() {
  file_.SaveExtOutline(tree_);
}

void TAutoForm::SaveExtOutlineNoDelay() {
  file_.SaveExtOutlineNoDelay(tree_);
}

void TAutoForm::ReadPlacementOfRows() {
  if (tree_.IsEmpty())
    return;
  const int topRow = settings_.ReadInteger(kBookmarks, QStringLiteral("TopRow"), -1);
  const int selected = settings_.ReadInteger(kBookmarks, QStringLiteral("Selected"), -1);
  // The selection first: selecting scrolls the selected row into the outline, which is still
  // small here, and the first row shown must stay the one read.
  if (const TBookmarkNode *node = tree_.Item(selected); selected != -1 && node != nullptr)
    outline_->Select(node);
  else
    outline_->clearSelection();
  if (const TBookmarkNode *node = tree_.Item(topRow); topRow != -1 && node != nullptr) {
    const QModelIndex index = model_->IndexOf(node);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
      outline_->Open(up);
    outline_->scrollTo(index, QAbstractItemView::PositionAtTop);
  }
  // The outline opens at its left edge, with the top folders' expanders in view, whatever the
  // depth of the rows.
  outline_->horizontalScrollBar()->setValue(0);
}

void TAutoForm::WriteSettings() {
  try {
    settings_.WriteString(kGeneral, QStringLiteral("DDEServiceName"), DDEServiceName);
    const TBookmarkNode *top = outline_->NodeAt(QPoint(1, 1));
    settings_.WriteInteger(kBookmarks, QStringLiteral("TopRow"), top != nullptr ? tree_.ItemNumber(top) : -1);
    const TBookmarkNode *selected = Selected();
    settings_.WriteInteger(kBookmarks, QStringLiteral("Selected"),
                           selected != nullptr ? tree_.ItemNumber(selected) : -1);
  } catch (const RegistryError &) {
    // The rows are only a convenience for the next start.
  }
}

} // namespace ql
