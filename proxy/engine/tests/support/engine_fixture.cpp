#include "engine_fixture.h"

#include "proxy/engine/net/client_pipe.h"
#include "proxy/platform/timer_scale.h"
#include "proxy/platform/winsock_test_hooks.h"

namespace ql::test {

void RecordingLinks::HandleProxyRequest(TClientPipe &pipe) {
  routedHeaders.push_back(pipe.Request().HeaderText());
  routedBodies.push_back(pipe.Request().Body());
  if (route) {
    route(pipe);
  } else {
    Answer(pipe, "HTTP/1.0 200 OK\r\n\r\nrouted");
  }
}

void Answer(TClientPipe &pipe, const std::string &text, bool complete) {
  pipe.Buffer.Add(text.data(), text.size());
  pipe.CloseAfterSend = complete;
  pipe.SendData();
}

EngineTest::EngineTest()
    : registry_(dir_.filePath("registry.reg")), store_(kQuenlarkSettingsKey, registry_), port_(FreePort()) {
  qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
  qputenv("XDG_DATA_HOME", dir_.filePath("share").toUtf8());
  store_.WriteInteger("Network", "HTTPProxyPort", port_);
}

EngineTest::~EngineTest() {
  form_.reset();
  SetTimerScale(1.0);
  ResetWinsockTestHooks();
}

void EngineTest::Start(const QStringList &parameters, bool firstUse) {
  TNetworkWindowSetup setup;
  setup.settings = &store_;
  setup.dataDirectory = DataDir();
  setup.firstUse = firstUse;
  setup.parameters = parameters;
  setup.links = TEngineLinks{&links_, &links_, &links_, &links_};
  form_ = std::make_unique<TForm1>(setup);
}

ClientResult EngineTest::Exchange(std::vector<std::string> pieces, std::chrono::milliseconds pause) {
  ClientScript script;
  script.pieces = std::move(pieces);
  script.pause = pause;
  auto client = StartClient(port_, script);
  return Finish(client);
}

} // namespace ql::test
