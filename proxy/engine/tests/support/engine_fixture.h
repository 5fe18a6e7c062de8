#pragma once

#include "loopback_client.h"
#include "proxy/engine/net/engine_links.h"
#include "proxy/engine/net/network_window.h"
#include "proxy/platform/dialog_sink.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace ql::test {

// Records the engine's calls into the parts it links to, in order.
class RecordingLinks : public TRequestRouter,
                       public TCacheIndexFiles,
                       public TEngineLists,
                       public TOnLineButton {
public:
  std::vector<std::string> calls;
  // What a routed request gets; by default a short complete answer.
  std::function<void(TClientPipe &)> route;
  std::vector<std::string> routedHeaders;
  std::vector<std::string> routedBodies;
  bool buttonDown = false;
  QString buttonHint;

  void HandleProxyRequest(TClientPipe &pipe) override;
  bool failLoad = false;

  void LoadCacheIndex() override {
    calls.push_back("LoadCacheIndex");
    if (failLoad) {
      throw std::runtime_error("CACHE.DAT unreadable");
    }
  }
  void SaveCacheIndex() override { calls.push_back("SaveCacheIndex"); }
  void ClearAutoLists() override { calls.push_back("ClearAutoLists"); }
  void FreeHostNameCache() override { calls.push_back("FreeHostNameCache"); }
  void ShowOnLineState(bool down, const QString &hint) override {
    buttonDown = down;
    buttonHint = hint;
  }
};

// Queues text for the browser and sends it.
void Answer(TClientPipe &pipe, const std::string &text, bool complete = true);

// A network window on a free loopback port, with its settings store, data directory and
// XDG directories inside a temporary directory, and a dialog sink.
class EngineTest : public ::testing::Test {
protected:
  EngineTest();
  ~EngineTest() override;

  void Start(const QStringList &parameters = {}, bool firstUse = false);
  void Stop() { form_.reset(); }
  QString DataDir() const { return dir_.filePath("data") + "/"; }
  // Sends the pieces and reads the whole answer.
  ClientResult Exchange(std::vector<std::string> pieces, std::chrono::milliseconds pause = {});

  QTemporaryDir dir_;
  Registry registry_;
  TRegIniFile store_;
  RecordingDialogSink dialogs_;
  RecordingLinks links_;
  std::uint16_t port_;
  std::unique_ptr<TForm1> form_;
};

} // namespace ql::test
