#include "proxy/windows/cache_explorer/cache_form.h"

#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/search/filter_dates.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/windows/cache_explorer/cache_grid_model.h"
#include "proxy/windows/cache_explorer/progress_panel.h"
#include "proxy/windows/common/form_placement.h"
#include "proxy/windows/common/help_window.h"
#include "proxy/windows/common/panel_button.h"
#include "proxy/windows/control_bar/about_form.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace ql {

namespace {

constexpr int kHelpContents = 1;
constexpr int kHelpCacheExplorer = 10;
constexpr int kStatusWidths[] = {125, 125, 200};
constexpr int kPanelMargin = 4;

// Rows are 18 pixels high, 15 on a screen of at most 96 pixels per inch.
int DefaultRowHeight() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen != nullptr && screen->logicalDotsPerInchY() <= 96 ? 15 : 18;
}

// 250 pixels at 120 pixels per inch, scaled with the screen.
int MinimumHeight() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  const double dpi = screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
  return static_cast<int>(250 * dpi / 120);
}

QIcon StandardIcon(QStyle::StandardPixmap pixmap) {
  return QApplication::style()->standardIcon(pixmap);
}

} // namespace

TCacheForm::TCacheForm(TRegIniFile &settings, TProxyCache &cache, TGridSelForm &gridSel, QWidget *parent)
    : QMainWindow(parent), settings_(settings), cache_(cache), gridSel_(gridSel), view_(cache.Index()) {
  setWindowTitle(QStringLiteral("Cache Explorer"));
  BuildWidgets();
  BuildMenus();
  view_.SetOnSlotEmptied([this](std::size_t slot) { NoteGoneRow(static_cast<int>(slot)); });
  const QScreen *screen = QGuiApplication::primaryScreen();
  RestoreFormPlacement(*this, settings_, screen != nullptr ? screen->size() : QSize(1024, 768));
  ReadGridLayout();
  UpdateMenus();
}

TCacheForm::~TCacheForm() {
  SaveFormPlacement(*this, settings_);
  WriteGridLayout();
}

void TCacheForm::SetDialogs(TFilterForm *filter, TSortForm *sort, TCachePropForm *properties) {
  filter_ = filter;
  sort_ = sort;
  properties_ = properties;
}

void TCacheForm::SetUrlOpener(TUrlOpener *opener) {
  opener_ = opener;
  openButton_->setEnabled(opener_ != nullptr);
}

QString TCacheForm::StatusText(int panel) const {
  return status_[static_cast<std::size_t>(panel)]->text();
}

QToolButton *TCacheForm::AddButton(const QString &text, const QString &hint, void (TCacheForm::*handler)()) {
  QToolButton *button = AddPanelButton(*buttonPanel_, text, hint, this);
  if (handler != nullptr)
    connect(button, &QToolButton::clicked, this, handler);
  return button;
}

void TCacheForm::BuildWidgets() {
  auto *central = new QWidget(this);
  auto *layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  buttonPanel_ = new QWidget(central);
  auto *buttons = new QHBoxLayout(buttonPanel_);
  buttons->setContentsMargins(kPanelMargin, 2, kPanelMargin, 2);
  AddButton(QStringLiteral("All"), QStringLiteral("All|Show all cache items"),
            &TCacheForm::ShowAllButtonClick)
      ->setIcon(StandardIcon(QStyle::SP_FileDialogListView));
  AddButton(QStringLiteral("Filter"), QStringLiteral("Filter|Filter cache items"),
            &TCacheForm::FilterButtonClick)
      ->setIcon(StandardIcon(QStyle::SP_FileDialogContentsView));
  AddButton(QStringLiteral("Sort"), QStringLiteral("Sort|Sort cache items"), &TCacheForm::SortButtonClick)
      ->setIcon(StandardIcon(QStyle::SP_ArrowDown));
  AddButton(QStringLiteral("Unseen"), QStringLiteral("Unseen|Show only unseen items"),
            &TCacheForm::SpeedButton1Click)
      ->setIcon(StandardIcon(QStyle::SP_FileDialogNewFolder));
  AddButton(QStringLiteral("First"), QStringLiteral("First|Show first document visited"),
            &TCacheForm::ShowFirstDocClick)
      ->setIcon(StandardIcon(QStyle::SP_DirHomeIcon));
  openButton_ = AddButton(QStringLiteral("Open"), QStringLiteral("Open|Open document in browser"),
                          &TCacheForm::OpenInBrowserButtonClick);
  openButton_->setIcon(StandardIcon(QStyle::SP_DialogOpenButton));
  openButton_->setEnabled(false);
  AddButton(QStringLiteral("Delete"), QStringLiteral("Delete|Delete currently selected items"),
            &TCacheForm::Delete2Click)
      ->setIcon(StandardIcon(QStyle::SP_TrashIcon));
  helpButton_ =
      AddButton(QStringLiteral("Help"), QStringLiteral("Help|Display help on Cache Explorer"), nullptr);
  helpButton_->setIcon(StandardIcon(QStyle::SP_DialogHelpButton));
  connect(helpButton_, &QToolButton::clicked, this, [] { ShowHelpContext(kHelpCacheExplorer); });
  AddHelpKey(this, helpButton_);
  buttons->addStretch();
  layout->addWidget(buttonPanel_);

  grid_ = new QTableView(central);
  model_ = new TCacheGridModel(view_, cache_.Mimes(), this);
  grid_->setModel(model_);
  // The commands on entries follow the list as it changes, so that their keys work at once;
  // the status bar tells of the current row, and of nothing once the list is shown anew.
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    UpdateMenus();
    SpanNotes();
    ShowRowStatus(grid_->currentIndex().row());
  });
  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex &current) { ShowRowStatus(current.row()); });
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setWordWrap(false);
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(DefaultRowHeight());
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grid_->horizontalHeader()->setHighlightSections(false);
  grid_->setDragEnabled(true);
  grid_->setDragDropMode(QAbstractItemView::DragOnly);
  grid_->viewport()->setAcceptDrops(true);
  grid_->viewport()->setMouseTracking(true);
  grid_->viewport()->installEventFilter(this);
  grid_->installEventFilter(this);
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid_, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
    UpdateMenus();
    popup_->exec(grid_->viewport()->mapToGlobal(at));
  });
  layout->addWidget(grid_);
  setCentralWidget(central);

  // Each panel is wide enough for the texts it shows: a MIME type, a length, and the
  // retrieval date, the note on a missing entry or a button's hint.
  QStringList longest[3];
  longest[1] << QStringLiteral(" 2147483647 bytes");
  longest[2] << QStringLiteral(" This item is no longer in the cache")
             << QStringLiteral(" Retrieval Date: ") + DateToStr(Now());
  for (const QToolButton *button : buttonPanel_->findChildren<QToolButton *>())
    longest[2] << QLatin1Char(' ') + button->statusTip();
  for (std::size_t i = 0; i < status_.size(); ++i) {
    status_[i] = new QLabel(this);
    status_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    int width = kStatusWidths[i];
    for (const QString &text : longest[i]) {
      status_[i]->setText(text);
      width = std::max(width, status_[i]->sizeHint().width());
    }
    status_[i]->clear();
    status_[i]->setFixedWidth(width);
    statusBar()->addWidget(status_[i]);
  }
  progressPanel_ = new TProgressPanel(this);

  setMinimumHeight(MinimumHeight());
  // No narrower than the row of buttons with its margins.
  setMinimumWidth(buttonPanel_->minimumSizeHint().width());
  resize(640, 400);
}

void TCacheForm::BuildMenus() {
  const auto action = [this](const QString &text, auto handler, const QKeySequence &keys = {}) {
    auto *made = new QAction(text, this);
    made->setShortcut(keys);
    connect(made, &QAction::triggered, this, handler);
    return made;
  };
  QAction *properties = action(QStringLiteral("&Properties"), &TCacheForm::Properties1Click, Qt::Key_F2);
  QAction *remove = action(QStringLiteral("&Delete"), &TCacheForm::Delete2Click, QKeySequence::Delete);
  QAction *selectAll =
      action(QStringLiteral("Select &All"), &TCacheForm::SelectAll1Click, QKeySequence::SelectAll);
  QAction *filter = action(QStringLiteral("&Filter"), &TCacheForm::FilterButtonClick, Qt::CTRL | Qt::Key_F);
  QAction *saveAs = action(QStringLiteral("Save as..."), &TCacheForm::Saveas1Click);
  QAction *viewAll = action(QStringLiteral("&View all\tCtrl+V"), &TCacheForm::ShowAllButtonClick);
  needView_ = {properties, remove, selectAll, saveAs};
  addActions({properties, remove, selectAll, filter});

  popup_ = new QMenu(this);
  popup_->addActions({properties, remove, viewAll, selectAll, filter});
  popup_->addSeparator();
  popup_->addAction(QStringLiteral("Cancel"));

  QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(action(QStringLiteral("&Import..."), &TCacheForm::Import1Click));
  file->addAction(saveAs);
  file->addSeparator();
  file->addAction(action(QStringLiteral("&Close"), &QWidget::close));
  QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  edit->addAction(selectAll);
  QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
  view->addAction(
      action(QStringLiteral("&All entries"), &TCacheForm::ShowAllButtonClick, Qt::CTRL | Qt::Key_V));
  view->addAction(action(QStringLiteral("&First pages visited"), &TCacheForm::ShowFirstDocClick));
  view->addAction(action(QStringLiteral("&Unseen"), &TCacheForm::SpeedButton1Click, Qt::CTRL | Qt::Key_U));
  view->addAction(properties);
  QMenu *cache = menuBar()->addMenu(QStringLiteral("&Cache"));
  cache->addAction(filter);
  cache->addAction(action(QStringLiteral("&Sort"), &TCacheForm::SortButtonClick, Qt::CTRL | Qt::Key_S));
  cache->addAction(remove);
  QMenu *options = menuBar()->addMenu(QStringLiteral("&Options"));
  options->addAction(action(QStringLiteral("&Headers"), &TCacheForm::Headers1Click));
  stretchAction_ = action(QStringLiteral("&Stretch to fit"), &TCacheForm::Stretchtofit1Click);
  stretchAction_->setCheckable(true);
  options->addAction(stretchAction_);
  QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->addAction(action(QStringLiteral("&Contents"), [] { ShowHelpContext(kHelpContents); }));
  help->addAction(
      action(QStringLiteral("Help on Cache E&xplorer"), [] { ShowHelpContext(kHelpCacheExplorer); }));
  help->addAction(action(QStringLiteral("&About"), [this] {
    TAboutForm about(this);
    about.exec();
  }));
  for (QMenu *menu : {file, edit, view, cache})
    connect(menu, &QMenu::aboutToShow, this, &TCacheForm::UpdateMenus);
}

// Commands on entries need a view with entries.
void TCacheForm::UpdateMenus() {
  const bool any = view_.Count() > 0;
  for (QAction *action : needView_)
    action->setEnabled(any);
}

void TCacheForm::ShowButtonHint(QToolButton *button) {
  status_[0]->clear();
  status_[1]->clear();
  status_[2]->setText(QLatin1Char(' ') + button->statusTip());
}

bool TCacheForm::eventFilter(QObject *watched, QEvent *event) {
  if (auto *button = qobject_cast<QToolButton *>(watched)) {
    if (event->type() == QEvent::Enter)
      ShowButtonHint(button);
    return false;
  }
  if (watched == grid_ && event->type() == QEvent::KeyRelease) {
    ShowRowStatus(grid_->currentIndex().row());
    return false;
  }
  if (watched != grid_->viewport())
    return false;
  switch (event->type()) {
  case QEvent::Resize:
    // Also when the vertical scroll bar comes or goes, which the window's size does not tell.
    if (stretchAction_ != nullptr && stretchAction_->isChecked())
      StretchColumns();
    return false;
  case QEvent::MouseMove: {
    const int row = grid_->rowAt(static_cast<QMouseEvent *>(event)->position().toPoint().y());
    if (row >= 0)
      ShowRowStatus(row);
    return false;
  }
  case QEvent::MouseButtonDblClick:
    StringGrid1DblClick(grid_->rowAt(static_cast<QMouseEvent *>(event)->position().toPoint().y()));
    return true;
  case QEvent::DragEnter:
  case QEvent::DragMove:
  case QEvent::Drop:
    return DropBookmark(event);
  default:
    return false;
  }
}

void TCacheForm::showEvent(QShowEvent *event) {
  QMainWindow::showEvent(event);
  SetupColumns();
  if (stretchAction_->isChecked())
    StretchColumns();
  if (std::exchange(firstShow_, false))
    ShowItems();
}

void TCacheForm::resizeEvent(QResizeEvent *event) {
  QMainWindow::resizeEvent(event);
  if (stretchAction_->isChecked()) {
    SetupColumns();
    StretchColumns();
  }
}

} // namespace ql
