#include "proxy/windows/startup/program_windows.h"

#include "proxy/engine/browser/browser_conversation.h"
#include "proxy/windows/autobrowse/auto_progress_form.h"
#include "proxy/windows/bookmarks/auto_form.h"
#include "proxy/windows/bookmarks/info_form.h"
#include "proxy/windows/bookmarks/node_prop_form.h"
#include "proxy/windows/cache_explorer/cache_form.h"
#include "proxy/windows/cache_explorer/cache_prop_form.h"
#include "proxy/windows/cache_explorer/filter_form.h"
#include "proxy/windows/cache_explorer/grid_sel_form.h"
#include "proxy/windows/cache_explorer/sort_form.h"
#include "proxy/windows/control_bar/control_form.h"
#include "proxy/windows/setup/setup_form.h"
#include "proxy/windows/startup/engine_window.h"

namespace ql {

TProgramWindows::TProgramWindows(Registry &registry, const QString &defaultDataDirectory,
                                 const QStringList &parameters)
    : dde_(std::make_unique<TBrowserConversation>()) {
  controlForm_ = &order_.Add(QStringLiteral("the control bar"),
                             std::make_unique<TControlForm>(registry, defaultDataDirectory));
  engine_ =
      &order_.Add(QStringLiteral("the network window"),
                  std::make_unique<TEngineWindow>(controlForm_->Settings(), controlForm_->DataDirectory(),
                                                  controlForm_->FirstUse(), parameters, controlForm_));
  // The windows of the desktop follow, each in its place of this order: Bookmarks (TAutoForm),
  // Select Headers (TGridSelForm), Bookmark Properties (TNodePropForm), Cache Explorer
  // (TCacheForm), Filter (TFilterForm), Setup (TSetupForm), Autobrowse Control
  // (TAutoProgressForm), Sort (TSortForm), Cache Item Properties (TCachePropForm), Information
  // (TInfoForm). The control bar is handed those it shows (TControlForm::SetWindows), and each
  // window the dialogs created after it.
  TRegIniFile &settings = controlForm_->Settings();
  TProxyCache &cache = engine_->Cache();
  controlForm_->SetBrowserDde(dde_.get());
  dde_->SetUrlCommand(
      [bar = controlForm_](const QByteArray &url) { return bar->Browser().OpenUrlByCommand(url); });
  TAutoFormSetup bookmarks;
  bookmarks.settings = &settings;
  bookmarks.cache = &cache;
  bookmarks.dde = dde_.get();
  bookmarks.dataDirectory = cache.DataDir();
  bookmarks.holdFiles = engine_->Halted();
  bookmarks.startBrowser = [bar = controlForm_] { bar->StartBrowser1Click(); };
  autoForm_ = &order_.Add(QStringLiteral("Bookmarks"), std::make_unique<TAutoForm>(bookmarks));
  autoForm_->LinkToEngine(engine_->Road());
  if (autoForm_->ConversionFound())
    cache.HoldFiles();
  gridSel_ = &order_.Add(QStringLiteral("Select Headers"), std::make_unique<TGridSelForm>(settings));
  nodeProp_ = &order_.Add(QStringLiteral("Bookmark Properties"), std::make_unique<TNodePropForm>());
  cacheForm_ = &order_.Add(QStringLiteral("the Cache Explorer"),
                           std::make_unique<TCacheForm>(settings, cache, *gridSel_));
  filter_ =
      &order_.Add(QStringLiteral("Filter"), std::make_unique<TFilterForm>(settings, *cacheForm_, cacheForm_));
  TSetupFormLinks setup;
  setup.settings = &settings;
  setup.cache = &cache;
  setup.explorer = cacheForm_;
  setup.browser = &controlForm_->Browser();
  setup.firstUse = controlForm_->FirstUse();
  setup_ = &order_.Add(QStringLiteral("Setup"), std::make_unique<TSetupForm>(setup));
  autoProgress_ = &order_.Add(QStringLiteral("Autobrowse Control"),
                              std::make_unique<TAutoProgressForm>(settings, engine_->Road()));
  autoProgress_->SetProgramEnd([bar = controlForm_] { bar->ExitButtonClick(); });
  setup_->SetRestrictChanged([window = autoProgress_] { window->LoadExclusionLines(); });
  sort_ = &order_.Add(QStringLiteral("Sort"), std::make_unique<TSortForm>(settings, *cacheForm_, cacheForm_));
  cacheProp_ = &order_.Add(QStringLiteral("Cache Item Properties"),
                           std::make_unique<TCachePropForm>(settings, cache, cacheForm_));
  info_ = &order_.Add(QStringLiteral("Information"), std::make_unique<TInfoForm>());
  cacheForm_->SetDialogs(filter_, sort_, cacheProp_);
  cacheForm_->SetUrlOpener(autoForm_);
  nodeProp_->SetInfoForm(info_);
  autoForm_->SetDialogs(nodeProp_, cacheForm_);
  TBarWindows shown;
  shown.bookmarks = autoForm_;
  shown.cacheExplorer = cacheForm_;
  shown.autoProgress = autoProgress_;
  shown.setup = setup_;
  controlForm_->SetWindows(shown);
  // The pages' /gbookmarks and /gcache show windows through the bar, which outlives the engine.
  engine_->Road().SetPageWindows(controlForm_);
}

bool TProgramWindows::Halted() const {
  return engine_->Halted() || autoForm_->ConversionFound();
}

TProgramWindows::~TProgramWindows() {
  order_.FreeAll();
}

} // namespace ql
