#pragma once

#include "proxy/engine/http/dates.h"
#include "proxy/platform/win_types.h"

#include <QByteArray>
#include <QString>

namespace ql {

class Registry;
class TBrowserDde;
class TRegIniFile;

// The browser's kind of proxy setting as the proxy points it at itself.
constexpr int kManualProxy = 1;

// The proxy's dealings with the web browser through the browsers' own registry keys: where its
// executable, cache and bookmark file are, its proxy setting (saved under "Saved Proxy
// Information" before the proxy points the browser at itself, and put back later), and its
// start. The browser is Internet Explorer when EngineSettings.UseIExplore holds, else Netscape
// Navigator; both are read at the moment of each call.
//
// Every operation catches its own registry failures (a missing key, a missing value, a value
// of another type, a file that cannot be written) and then stops without a message; only
// LaunchBrowser reports, with a dialog. The registry and the settings store are not owned and
// must outlive this object. GUI thread only.
class TBrowserConfig {
public:
  TBrowserConfig(Registry &registry, TRegIniFile &settings);

  // Locating the browser (paths in the program's form, "\" as separator; empty when missing).
  QString GetIEPath() const;
  QString GetNetscapePath() const;
  bool IEInstalled() const;
  bool NetscapeInstalled() const;
  QString GetBrowserPath() const;
  QString GetBrowserCachePath() const;
  QString GetBrowserBookmarksPath() const;
  // Writes each of the three paths above that is not empty to General/BrowserPath,
  // BrowserCachePath and BrowserBookmarksPath.
  void SaveBrowserPaths();
  // The modification date of the chosen browser's executable; 0 when it cannot be read.
  TDateTime GetBrowserExeDate() const;
  // The executable is dated after 1 May 1996: Internet Explorer then takes "http=" in front
  // of its proxy text.
  bool IsNewBrowser() const;

  // The proxy setting.
  // The chosen browser's proxy host text contains "127.0.0.1".
  bool BrowserProxyIsLocal() const;
  // Copies the browser's proxy host, port and kind into "Saved Proxy Information". A browser
  // without a proxy host is saved as the host "none" (port 0 when it has none, kind 0 when it
  // has none), so that restoring puts it back without a proxy. A record that is still there
  // has not been restored yet (the last run ended first): it is kept, never overwritten.
  void SaveBrowserProxy();
  // Points the browser at host:port with the given kind.
  void SetBrowserProxy(const QString &host, int port, int kind);
  // Puts the saved setting back and removes the record; nothing happens when none is saved.
  void RestoreBrowserProxy();
  void RestoreBrowserSettings() { RestoreBrowserProxy(); }

  // Starting the browser.
  // General/NewsUpdated (default false); when true it is written back as false. Returns the
  // value read.
  bool CheckNewsUpdated();
  // Starts the chosen browser: alone while PlainBrowserStart is set, else with the news page
  // when CheckNewsUpdated, else with the pseudo-host's /bookmarks page when ShowBookmarks is
  // on. A start that fails shows "Unenable to start browser. Error code N." Returns the start
  // result (below 32 for an error).
  UINT LaunchBrowser();

  // The control bar's browser start. From the program's directory: a browser that answers
  // over DDE is brought forward; otherwise, with AutoLocateBrowser, the browser's proxy is
  // saved (unless it points at 127.0.0.1 already), pointed at 127.0.0.1:HTTPProxyPort and
  // the browser launched; without it, the command General/BrowserPath runs, followed by the
  // news page when NewsUpdated (which is then cleared), else by the /bookmarks page when
  // ShowBookmarks is on. That command's result is not reported.
  void StartBrowser(TBrowserDde &dde);
  // Opens url by running the browser command of StartBrowser with the URL as its one argument
  // in place of a start page (a running browser hands it to its window); with
  // AutoLocateBrowser the browser's proxy is pointed at the proxy first, as StartBrowser does.
  // A start that fails shows "Unenable to start browser. Error code N.". A URL that begins
  // with "-" would be read as an option: it is refused with a line on standard error. False
  // when no browser command is known (no browser located, or an empty General/BrowserPath).
  bool OpenUrlByCommand(const QByteArray &url);

private:
  // Saves the browser's proxy setting (unless it points at 127.0.0.1 already) and points it at
  // 127.0.0.1:HTTPProxyPort.
  void PointBrowserAtProxy();

  Registry &registry_;
  TRegIniFile &settings_;
};

// While set, LaunchBrowser starts the browser without a start page. The Bookmarks window sets
// it around a start that opens a bookmark.
extern bool PlainBrowserStart;

} // namespace ql
