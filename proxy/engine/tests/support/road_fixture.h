#pragma once

#include "loopback_client.h"
#include "proxy/engine/autobrowse/autobrowse_view.h"
#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/autobrowse/bookmark_tree.h"
#include "proxy/engine/net/network_window.h"
#include "proxy/engine/pages/page_windows.h"
#include "proxy/engine/pages/proxy_road.h"
#include "proxy/platform/dialog_sink.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace ql::test {

// A bookmark tree held in a list, in tree order, as the engine sees it.
class TestTree : public TBookmarkTree {
public:
  TBMInfo &AddFolder(const QByteArray &title, int level = 1);
  TBMInfo &AddBookmark(const QByteArray &title, const QByteArray &url, int level = 2);
  void Clear() { nodes_.clear(); }

  int Count() const override { return static_cast<int>(nodes_.size()); }
  TBMInfo &Info(int node) override { return *nodes_.at(static_cast<std::size_t>(node)).info; }
  int Level(int node) const override { return nodes_.at(static_cast<std::size_t>(node)).level; }
  void AddLastChild(int folder, std::unique_ptr<TBMInfo> info) override;
  void SaveExtOutline() override { ++saves; }
  void Repaint() override { ++repaints; }

  int saves = 0;
  int repaints = 0;

private:
  struct Node {
    std::unique_ptr<TBMInfo> info;
    int level = 1;
  };
  std::vector<Node> nodes_;
};

// Records what an Autobrowse session reports.
class RecordingView : public TAutobrowseView {
public:
  void AddAutoNote(const QString &line) override { log.append(line); }
  void FillOutbasket() override { ++outbasketFills; }
  void ShowCounters(const TAutobrowseCounters &shown) override { counters.push_back(shown); }
  void EnableSkip() override { ++skipEnabled; }
  void SessionEnded() override { ++ended; }

  QString Log() const { return log.join(QLatin1Char('\n')); }

  QStringList log;
  std::vector<TAutobrowseCounters> counters;
  int outbasketFills = 0;
  int skipEnabled = 0;
  int ended = 0;
};

class ExclusionList : public TExclusionLines {
public:
  QList<QByteArray> ExclusionLines() const override { return lines; }
  QList<QByteArray> lines;
};

class RecordingWindows : public TPageWindows {
public:
  void ShowAutoForm() override { shown.push_back("Bookmarks"); }
  void ShowCacheForm() override { shown.push_back("Cache Explorer"); }
  std::vector<std::string> shown;
};

// The engine with its real road (cache, routing, pseudo-host pages, Autobrowse) on a free
// loopback port, its data and XDG directories in a temporary directory, timers running fifty
// times faster, host names resolving only as the test says, and the tree, view, exclusion
// lines and windows above linked in. The pages' pictures are the program's own.
class RoadTest : public ::testing::Test {
protected:
  RoadTest();
  ~RoadTest() override;

  void Start();
  void Stop();
  TAutobrowseSession &Session() { return road_->Autobrowse(); }
  TProxyCache &Cache() { return road_->Cache(); }
  QString DataDir() const { return dir_.filePath("data") + "/"; }

  // Runs one session to its end; false when it did not end within timeoutMs.
  bool RunSession(int timeoutMs = 8000);
  // Sends a request to the proxy and returns the whole answer.
  std::string Request(const std::string &request);
  std::string Get(const std::string &url, const std::string &fields = {});

  QTemporaryDir dir_;
  Registry registry_;
  TRegIniFile store_;
  RecordingDialogSink dialogs_;
  std::uint16_t port_;
  TestTree tree;
  RecordingView view;
  ExclusionList exclusions;
  RecordingWindows windows;
  std::unique_ptr<TProxyRoad> road_;
  std::unique_ptr<TForm1> form_;
};

} // namespace ql::test
