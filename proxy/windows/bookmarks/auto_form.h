#pragma once

#include "proxy/engine/bookmarks/bookmark_file.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"
#include "proxy/engine/bookmarks/outline_bookmark_tree.h"
#include "proxy/windows/cache_explorer/cache_form.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;

namespace ql {

class TBrowserConversation;
class TExtOutline;
class TNodePropForm;
class TOutlineModel;
class TProgressPanel;
class TProxyCache;
class TProxyRoad;
class TRegIniFile;

// What the Bookmarks window is created with. Every pointer must outlive the window.
struct TAutoFormSetup {
  TRegIniFile *settings = nullptr;
  TProxyCache *cache = nullptr;        // the cache whose Autobrowse entries deletions remove
  TBrowserConversation *dde = nullptr; // the window's conversation with the browser
  QString dataDirectory;               // in the file system's form, ending in "/"
  // The data files must stay as they are (the engine halted): nothing is read or written.
  bool holdFiles = false;
  // The control bar's Start browser command.
  std::function<void()> startBrowser;
};

// The Bookmarks window (TAutoForm, "Bookmarks"): the program's one bookmark tree in an outline,
// with its menus, toolbar and status bar. It loads the tree from auto.dat at its creation
// (TBookmarkFile, with the fall-backs to auto.bak and auto.tmp) and saves it at its
// destruction; every change calls SaveExtOutline, which writes on every 16th call. It adds
// bookmarks and folders next to the selected node through the Bookmark Properties dialog,
// deletes and moves subtrees (never while Autobrowse fetches a bookmark of them), copies, cuts
// and pastes bookmarks through the clipboard, imports HTML bookmark files, grabs the browser's
// page and opens bookmarks in the browser over DDE (starting the browser and opening the URL
// once it answers when none runs), and lists a bookmark's cached and Autobrowse entries in the
// Cache Explorer.
//
// Linked to the engine (LinkToEngine), the tree is the one the pseudo-host's pages and
// Autobrowse read and add to; the window's destruction stops a running Autobrowse session and
// unlinks the tree before its records go.
//
// An auto.dat of the earlier format gets the conversion notice, and then the program ends
// without writing (ConversionFound). Its code is in three files: widgets, menus and the file
// (auto_form.cpp), the tree's edits (auto_form_edit.cpp), and the clipboard, the browser and
// the Cache Explorer (auto_form_exchange.cpp). GUI thread only.
class TAutoForm : public QMainWindow, public TUrlOpener {
public:
  explicit TAutoForm(const TAutoFormSetup &setup, QWidget *parent = nullptr);
  ~TAutoForm() override;

  // The dialogs created after the window.
  void SetDialogs(TNodePropForm *properties, TCacheForm *cacheExplorer);
  // Makes the tree the one the engine's pages and Autobrowse use. The road must outlive the
  // window.
  void LinkToEngine(TProxyRoad &road);

  bool ConversionFound() const { return file_.ConversionFound(); }
  TBookmarkOutline &Tree() { return tree_; }
  TBookmarkFile &File() { return file_; }
  TExtOutline &Outline() { return *outline_; }
  TBookmarkNode *Selected() const;
  QString StatusText() const;

  // The file.
  bool LoadExtOutline();
  void SaveExtOutline();
  void SaveExtOutlineNoDelay();

  // Adding: each inserts a node for the record (placement rules of TBookmarkOutline::AddNear for
  // the two last, next to the selected node), selects it and returns it. A node that would lie
  // deeper than the bookmark file stores is not added: the two last then say so and return
  // nullptr.
  TBookmarkNode *AddNewRootFolder(std::unique_ptr<TBMInfo> info);
  TBookmarkNode *AddNewFolder(std::unique_ptr<TBMInfo> info);
  TBookmarkNode *AddNewDocument(std::unique_ptr<TBMInfo> info);
  // A new bookmark or folder next to the selected node, with the schedule of the folder it goes
  // in, then the Properties dialog on it: Cancel takes it away again, OK saves. A null title
  // gives "New folder" or "New Document"; a null URL leaves the copied one. True on OK.
  bool AddNewdocumentDialog(const QByteArray &title, bool folder, const QByteArray &url);
  // Deletes the selected node with its subtree, with its bookmarks' Autobrowse entries; asks
  // first unless the request comes from Cut; refuses while a bookmark of it is locked.
  void DeleteFromOutline(bool fromCut = false);
  // Removes every Autobrowse entry of a bookmark from the cache, its body file with it.
  void DeleteAutoEntries(int32_t serialId);

  // Opens a URL in the browser over DDE; with no browser answering, by the browser command
  // (TBrowserConversation::OpenUrlByCommand); with no browser command either, starts the browser
  // and opens the URL on the first tick of the 5000 ms URL timer at which one answers. A URL
  // that is opened stops the timer and replaces one that waited.
  void OpenURL(const QByteArray &url, const QByteArray &postData) override;
  void URLTimerTimer();
  bool URLTimerRunning() const;

  // The commands of the menus and buttons.
  void NewDocClick();
  void NewFolderClick();
  void NewRootFolderClick();
  void PropertiesClick();
  void OpenInBrowserClick();
  void GrabNextTimeClick();
  void MarkAsUnreadClick();
  void MoveToRootClick();
  void ListCachedItemsClick();
  void ShowAutoItemsClick(bool old);
  void ImportClick();
  // Imports an HTML bookmark file next to the selected node and shows its folder. A file whose
  // folders would make the tree deeper than the bookmark file stores is refused with a message.
  void ImportFile(const QString &path);
  void ExpandClick();
  void ExpandBranchClick();
  void ExpandAllClick();
  void CollapseClick();
  void CollapseAllClick();
  void Copy1Click();
  void Cut1Click();
  void PasteFromClipboard();
  void PasteFromDDE();
  // A node dropped on the outline at target (refused with a message when the tree would grow
  // deeper than the bookmark file stores); a URL dropped from the Cache Explorer.
  void MoveNode(TBookmarkNode *node, TBookmarkNode *target);
  void DropUrl(TBookmarkNode *target, const QString &title, const QString &url);

  // Sets the enabled state of every command for the tree and selection as they are now.
  void UpdateMenus();

protected:
  void resizeEvent(QResizeEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void BuildWidgets();
  void BuildMenus();
  QToolButton *AddButton(const char *name, const QString &text, const QString &hint,
                         void (TAutoForm::*handler)());
  void ShowNodeStatus(const TBookmarkNode *node);
  // The status bar tells of the selected node (a button's hint or a node under the cursor
  // shows until the selection changes), and is empty when none is selected.
  void ShowSelectedStatus();
  void ReadPlacementOfRows();
  void WriteSettings();
  // Runs the Properties dialog on a node; true on OK.
  bool RunProperties(TBookmarkNode *node, bool adding);
  TBookmarkNode *SelectedBookmark() const;
  void Changed(TBookmarkNode *node);
  // Stops the URL timer and forgets the URL that waited for the browser.
  void ForgetUrl();

  TRegIniFile &settings_;
  TProxyCache *cache_;
  TBrowserConversation *dde_;
  std::function<void()> startBrowser_;
  TBookmarkOutline tree_;
  TBookmarkFile file_;
  TOutlineBookmarkTree engineTree_;
  TProxyRoad *road_ = nullptr;
  TNodePropForm *properties_ = nullptr;
  TCacheForm *cacheExplorer_ = nullptr;

  TOutlineModel *model_ = nullptr;
  TExtOutline *outline_ = nullptr;
  QLabel *status_ = nullptr;
  TProgressPanel *progressPanel_ = nullptr;
  QWidget *buttonPanel_ = nullptr;
  QMenu *popup_ = nullptr;
  QTimer *urlTimer_ = nullptr;
  QByteArray rememberedUrl_;
  QByteArray rememberedPost_;
  bool urlRemembered_ = false;

  // Commands enabled by the state of the tree and the selection.
  std::vector<QAction *> needTree_;     // a non-empty tree
  std::vector<QAction *> needBookmark_; // a selected bookmark
  QAction *moveToRoot_ = nullptr;       // a selected folder
  QAction *grabNextTime_ = nullptr;
  QAction *markAsUnread_ = nullptr;
  QAction *grab_ = nullptr; // a non-empty tree and a browser that answers over DDE
  QToolButton *grabButton_ = nullptr;
  std::vector<QToolButton *> bookmarkButtons_;
  std::vector<QToolButton *> treeButtons_;
};

} // namespace ql
