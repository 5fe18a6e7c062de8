#include "road_fixture.h"

#include "proxy/engine/autobrowse/autobrowse_session.h"
#include "proxy/platform/timer_scale.h"
#include "proxy/platform/winsock_test_hooks.h"

#include <QDir>
#include <QFileInfo>

namespace ql::test {

TBMInfo &TestTree::AddFolder(const QByteArray &title, int level) {
  auto info = std::make_unique<TBMInfo>();
  info->Folder = 1;
  info->Title = title;
  TBMInfo &added = *info;
  nodes_.push_back({std::move(info), level});
  return added;
}

TBMInfo &TestTree::AddBookmark(const QByteArray &title, const QByteArray &url, int level) {
  auto info = std::make_unique<TBMInfo>();
  info->Title = title;
  info->URL = url;
  TBMInfo &added = *info;
  nodes_.push_back({std::move(info), level});
  return added;
}

void TestTree::AddLastChild(int folder, std::unique_ptr<TBMInfo> info) {
  const int level = Level(folder);
  std::size_t at = static_cast<std::size_t>(folder) + 1;
  while (at < nodes_.size() && nodes_[at].level > level)
    ++at;
  nodes_.insert(nodes_.begin() + static_cast<std::ptrdiff_t>(at), Node{std::move(info), level + 1});
}

RoadTest::RoadTest()
    : registry_(dir_.filePath("registry.reg")), store_(kQuenlarkSettingsKey, registry_), port_(FreePort()) {
  qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
  qputenv("XDG_DATA_HOME", dir_.filePath("share").toUtf8());
  store_.WriteInteger("Network", "HTTPProxyPort", port_);
  SetTimerScale(0.02);
  SetTestHostsOnly(true);
}

RoadTest::~RoadTest() {
  Stop();
  SetTimerScale(1.0);
  ResetWinsockTestHooks();
}

void RoadTest::Start() {
  const QString images = QFileInfo(qEnvironmentVariable("QUENLARK_BIN")).dir().filePath("images");
  road_ = std::make_unique<TProxyRoad>(store_, images);
  road_->SetBookmarkTree(&tree);
  road_->SetAutobrowseView(&view);
  road_->SetExclusionLines(&exclusions);
  road_->SetPageWindows(&windows);
  TNetworkWindowSetup setup;
  setup.settings = &store_;
  setup.dataDirectory = DataDir();
  setup.links = road_->Links();
  form_ = std::make_unique<TForm1>(setup);
}

void RoadTest::Stop() {
  form_.reset();
  road_.reset();
}

bool RoadTest::RunSession(int timeoutMs) {
  const int ended = view.ended;
  Session().StartAutobrowseSession();
  return PumpUntil([&] { return view.ended > ended; }, std::chrono::milliseconds(timeoutMs));
}

std::string RoadTest::Request(const std::string &request) {
  ClientScript script;
  script.pieces = {request};
  auto client = StartClient(port_, script);
  return Finish(client).received;
}

std::string RoadTest::Get(const std::string &url, const std::string &fields) {
  return Request("GET " + url + " HTTP/1.0\r\n" + fields + "\r\n");
}

} // namespace ql::test
