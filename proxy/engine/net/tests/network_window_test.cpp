#include "proxy/engine/http/dates.h"
#include "proxy/engine/net/client_pipe.h"
#include "proxy/engine/net/dns_cache.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/listener.h"
#include "proxy/engine/net/online_mode.h"
#include "proxy/engine/net/server_pipe.h"
#include "proxy/engine/pages/proxy_road.h"
#include "proxy/platform/timer_scale.h"
#include "proxy/platform/winsock.h"
#include "proxy/platform/winsock_test_hooks.h"
#include "support/engine_fixture.h"

#include <QDir>
#include <QThread>

#include <cmath>

namespace ql::test {
namespace {

// An origin-side connection that records what the dispatch asks of it.
class FakeServerPipe : public TServerPipe {
public:
  explicit FakeServerPipe(std::vector<std::string> &events) : events_(events) {}
  ~FakeServerPipe() override { events_.push_back("destroyed"); }

  bool RequestSent() const override { return sent_; }
  void SendRequest() override {
    sent_ = true;
    events_.push_back("SendRequest");
  }
  int SendData() override {
    events_.push_back("SendData");
    return 0;
  }
  int RecvData() override {
    std::string data(Buffer.Size(), '\0');
    Buffer.ReadOldest(data.data(), data.size());
    Buffer.RemoveOldest(data.size());
    events_.push_back("RecvData:" + data);
    return static_cast<int>(data.size());
  }
  void Connected(int errorCode) override { events_.push_back("Connected:" + std::to_string(errorCode)); }
  void AbortConnection() override { events_.push_back("AbortConnection"); }
  void LookupDone(int errorCode) override { events_.push_back("LookupDone:" + std::to_string(errorCode)); }
  void CloseSock() override {
    events_.push_back("CloseSock:" + std::to_string(static_cast<int>(State)));
    if (Socket != INVALID_SOCKET) {
      Form1->CloseAsyncSocket(Socket);
    }
    RetireServerPipe(this);
  }

private:
  std::vector<std::string> &events_;
  bool sent_ = false;
};

FakeServerPipe &AddServerPipe(std::vector<std::string> &events) {
  ServerPipeList.push_back(std::make_unique<FakeServerPipe>(events));
  return static_cast<FakeServerPipe &>(*ServerPipeList.back());
}

bool Contains(const std::vector<std::string> &events, const std::string &event) {
  return std::find(events.begin(), events.end(), event) != events.end();
}

class NetworkWindowTest : public EngineTest {
protected:
  // The engine goes first: destroying it destroys connections that record here.
  ~NetworkWindowTest() override { Stop(); }

  // Each browser request goes to a fake origin connection, linked both ways; the last are kept.
  void RouteToFakeOrigin() {
    links_.route = [this](TClientPipe &pipe) {
      origin_ = &AddServerPipe(events);
      origin_->ClientPipe = &pipe;
      pipe.ServerPipe = origin_;
      browser_ = &pipe;
    };
  }

  std::vector<std::string> events;
  FakeServerPipe *origin_ = nullptr;
  TClientPipe *browser_ = nullptr;
};

TEST_F(NetworkWindowTest, StartListensLogsAndPreparesTheDataDirectory) {
  Start();
  ASSERT_NE(Listener, nullptr);
  ASSERT_TRUE(Listener->Listening());
  EXPECT_EQ(
      form_->EngineLog().Lines(),
      QStringList{QStringLiteral("Now listening on hSocket %1 port %2").arg(Listener->Socket()).arg(port_)});
  EXPECT_TRUE(QDir(DataDir() + "TEMP").exists());
  EXPECT_EQ(TempDirectory, DataDir() + "TEMP\\");
  EXPECT_EQ(links_.calls, std::vector<std::string>{"LoadCacheIndex"});
  EXPECT_TRUE(OffLineMode);
  EXPECT_FALSE(links_.buttonDown);
  EXPECT_EQ(links_.buttonHint, "Switch to On-Line mode");
  EXPECT_EQ(DefaultItemSizeLimit, 204800);
  EXPECT_TRUE(dialogs_.Requests().empty());
}

TEST_F(NetworkWindowTest, SwitchingTheModeMovesTheOnLineButton) {
  Start();
  SetOffLineMode(false);
  EXPECT_FALSE(OffLineMode);
  EXPECT_TRUE(links_.buttonDown);
  EXPECT_EQ(links_.buttonHint, "Switch to Off-Line mode");
  SetOffLineMode(true);
  EXPECT_TRUE(OffLineMode);
  EXPECT_FALSE(links_.buttonDown);
  EXPECT_EQ(links_.buttonHint, "Switch to On-Line mode");
}

TEST_F(NetworkWindowTest, FailedIndexLoadIsLoggedAndTheEngineStartsAnyway) {
  links_.failLoad = true;
  Start();
  ASSERT_EQ(form_->EngineLog().Lines().size(), 2);
  EXPECT_EQ(form_->EngineLog().Lines()[0], "The cache index was not loaded: CACHE.DAT unreadable");
  EXPECT_TRUE(Listener->Listening());
}

TEST_F(NetworkWindowTest, SettingsDecideOnLineModeUpstreamProxyAndItemLimit) {
  store_.WriteBool("Network", "StartOffLine", false);
  store_.WriteInteger("Cache", "MaxCacheItemSize", 1000);
  store_.WriteString("Network", "ProxyIP", "upstream.test");
  Start();
  EXPECT_FALSE(OffLineMode);
  EXPECT_TRUE(links_.buttonDown);
  EXPECT_EQ(links_.buttonHint, "Switch to Off-Line mode");
  EXPECT_EQ(DefaultItemSizeLimit, 1000);
  EXPECT_FALSE(UseUpstreamProxy);
  Stop();

  store_.WriteInteger("Network", "ProxyPort", 3128);
  Start();
  EXPECT_TRUE(UseUpstreamProxy);
  EXPECT_EQ(UpstreamProxyHost, "upstream.test");
  Stop();

  store_.WriteString("Network", "ProxyIP", "!!NO_INFO");
  Start();
  EXPECT_FALSE(UseUpstreamProxy);
}

TEST_F(NetworkWindowTest, NewsIsDueOnFirstUseOrAfterThirtyDaysUnlessNeverWanted) {
  const int today = static_cast<int>(std::floor(Now()));
  store_.WriteInteger("General", "CheckIn", today);
  Start({}, true);
  EXPECT_TRUE(NewsDue);
  Stop();
  Start();
  EXPECT_FALSE(NewsDue);
  Stop();
  store_.WriteInteger("General", "CheckIn", today - 31);
  Start();
  EXPECT_TRUE(NewsDue);
  Stop();
  store_.WriteBool("General", "DontCheckIn", true);
  Start({}, true);
  EXPECT_FALSE(NewsDue);
}

TEST_F(NetworkWindowTest, CommandLineChoosesTheDataDirectoryAndAutobrowse) {
  const QString other = dir_.filePath("other/");
  Start({"-x", "/c:" + other});
  EXPECT_EQ(DataDirectory, other);
  EXPECT_TRUE(QDir(other + "TEMP").exists());
  EXPECT_FALSE(AutoBrowseAtStart);
  Stop();
  Start({"/a"});
  EXPECT_EQ(DataDirectory, DataDir());
  EXPECT_TRUE(AutoBrowseAtStart);
}

TEST_F(NetworkWindowTest, PortInUseShowsTheDialogAndLeavesNoListener) {
  PortBlocker blocker(port_);
  Start();
  ASSERT_EQ(dialogs_.Requests().size(), 1u);
  EXPECT_EQ(dialogs_.Requests()[0].kind, DialogKind::Error);
  EXPECT_EQ(
      dialogs_.Requests()[0].text,
      "Unable to create a listening connection. Please restart Windows and try again (Error code 10022)");
  EXPECT_FALSE(Listener->Listening());
  EXPECT_EQ(Listener->Socket(), INVALID_SOCKET);
  EXPECT_TRUE(form_->EngineLog().Lines().isEmpty());
}

TEST_F(NetworkWindowTest, PortOutOfRangeIsRefusedRatherThanLeftToTheSystem) {
  store_.WriteInteger("Network", "HTTPProxyPort", 65536);
  Start();
  ASSERT_EQ(dialogs_.Requests().size(), 1u);
  EXPECT_EQ(
      dialogs_.Requests()[0].text,
      "Unable to create a listening connection. Please restart Windows and try again (Error code 10022)");
  EXPECT_FALSE(Listener->Listening());
}

TEST_F(NetworkWindowTest, LoopbackListenerAcceptsOnlyLocalAddressAndCanMovePort) {
  Start();
  ClientScript elsewhere;
  elsewhere.address = "127.0.0.2";
  elsewhere.pieces = {"GET http://a.com/ HTTP/1.0\r\n\r\n"};
  auto refused = StartClient(port_, elsewhere);
  EXPECT_FALSE(Finish(refused).connected);

  const std::uint16_t moved = FreePort();
  ASSERT_EQ(Listener->StopListening(), 0);
  Listener->Port = moved;
  ASSERT_NE(Listener->StartListening(), INVALID_SOCKET);
  ClientScript local;
  local.pieces = elsewhere.pieces;
  auto client = StartClient(moved, local);
  EXPECT_EQ(Finish(client).received, "HTTP/1.0 200 OK\r\n\r\nrouted");
  Stop();

  store_.WriteBool("Network", "UseLoopback", false);
  Start();
  auto accepted = StartClient(port_, elsewhere);
  EXPECT_EQ(Finish(accepted).received, "HTTP/1.0 200 OK\r\n\r\nrouted");
}

TEST_F(NetworkWindowTest, OriginSocketMessagesReachTheirConnectionUntilItCloses) {
  Start();
  FakeServerPipe &pipe = AddServerPipe(events);
  const std::uint16_t originPort = FreePort();
  auto origin = StartOrigin(originPort, "hello");
  pipe.Socket = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(WSAAsyncSelect(pipe.Socket, Form1, WM_SERVERSOCKET, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE),
            0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(originPort);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connect(pipe.Socket, reinterpret_cast<const sockaddr *>(&address), sizeof(address));
  const SOCKET socket = pipe.Socket;

  ASSERT_TRUE(PumpUntil([&] { return ServerPipeList.empty(); }));
  std::string received;
  for (const std::string &event : events) {
    if (event.starts_with("RecvData:")) {
      received += event.substr(9);
    }
  }
  EXPECT_EQ(received, "hello");
  EXPECT_EQ(events.front(), "Connected:0");
  EXPECT_TRUE(Contains(events, "SendRequest"));
  EXPECT_EQ(events.back(), "CloseSock:0");

  // A message still queued for the closed connection finds nobody.
  const std::size_t seen = events.size();
  Form1->PostMessage(WM_SERVERSOCKET, static_cast<WPARAM>(socket), WSAMAKESELECTREPLY(FD_READ, 0));
  PumpUntil([] { return false; }, std::chrono::milliseconds(50));
  EXPECT_EQ(events.size(), seen);
  origin.get();
}

// A browser that aborts (a reset) takes its fetch with it. One that closes in order may only
// have ended its sending side: its fetch goes on, and ends once a send finds the browser gone.
TEST_F(NetworkWindowTest, BrowserLeavingAbortsItsOriginConnectionAndUnlinksBoth) {
  RouteToFakeOrigin();
  Start();
  ClientScript script;
  script.pieces = {"GET http://a.com/ HTTP/1.0\r\n\r\n"};
  script.closeAfterSending = true;
  script.reset = true;
  auto client = StartClient(port_, script);
  Finish(client);
  ASSERT_TRUE(PumpUntil([&] { return origin_ != nullptr && ClientPipeList.empty(); }));
  EXPECT_EQ(events, std::vector<std::string>{"AbortConnection"});
  EXPECT_EQ(origin_->ClientPipe, nullptr);
  Form1->FreeAllPipes();
  EXPECT_TRUE(FreePipeList.empty());
  EXPECT_EQ(origin_->ClientPipe, nullptr);

  events.clear();
  origin_ = nullptr;
  script.reset = false;
  auto leaving = StartClient(port_, script);
  Finish(leaving);
  PumpUntil([] { return false; }, std::chrono::milliseconds(300));
  ASSERT_NE(origin_, nullptr);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(ClientPipeList.size(), 1u);
  const std::string piece(8192, 'p');
  EXPECT_TRUE(PumpUntil([&] {
    if (!ClientPipeList.empty())
      browser_->SendBytes(piece.data(), piece.size());
    return ClientPipeList.empty();
  }));
  EXPECT_EQ(events, std::vector<std::string>{"AbortConnection"});
}

// A reset that a send meets first leaves the end of the stream to look like an orderly one:
// the browser is gone all the same, and its connection and fetch end at once.
TEST_F(NetworkWindowTest, ABrowserThatASendFoundGoneIsNotKeptForItsAnswer) {
  RouteToFakeOrigin();
  Start();
  ClientScript script;
  script.pieces = {"GET http://a.com/ HTTP/1.0\r\n\r\n", ""};
  script.pause = std::chrono::milliseconds(300);
  script.closeAfterSending = true;
  script.reset = true;
  auto client = StartClient(port_, script);
  ASSERT_TRUE(PumpUntil([&] { return browser_ != nullptr; }));
  client.wait();
  QThread::msleep(50);
  const std::string piece(100, 'p');
  browser_->SendBytes(piece.data(), piece.size());
  browser_->SendBytes(piece.data(), piece.size());
  EXPECT_TRUE(PumpUntil([] { return ClientPipeList.empty(); }));
  EXPECT_EQ(events, std::vector<std::string>{"AbortConnection"});
}

TEST_F(NetworkWindowTest, LookupResultsReachTheWaitingConnection) {
  SetTestHostsOnly(true);
  AddTestHost("origin.test", "127.0.0.1");
  Start();
  FakeServerPipe &found = AddServerPipe(events);
  alignas(hostent) static char block[MAXGETHOSTSTRUCT];
  found.LookupTask = WSAAsyncGetHostByName(Form1, WM_HOSTLOOKUP, "origin.test", block, sizeof(block));
  LookupList.push_back(&found);
  FakeServerPipe &missing = AddServerPipe(events);
  alignas(hostent) static char other[MAXGETHOSTSTRUCT];
  missing.LookupTask = WSAAsyncGetHostByName(Form1, WM_HOSTLOOKUP, "nowhere.test", other, sizeof(other));
  LookupList.push_back(&missing);

  ASSERT_TRUE(PumpUntil([] { return LookupList.empty(); }));
  EXPECT_TRUE(Contains(events, "LookupDone:0"));
  EXPECT_TRUE(Contains(events, "LookupDone:11001"));
}

TEST_F(NetworkWindowTest, InactivityClosesOnTheSecondTickAfterTheLastStart) {
  Start();
  FakeServerPipe &pipe = AddServerPipe(events);
  pipe.State = TPipeState::kConnected;
  pipe.StartTimeout();
  pipe.TimerTick();
  pipe.StartTimeout();
  pipe.TimerTick();
  EXPECT_TRUE(events.empty());
  pipe.TimerTick();
  EXPECT_EQ(events, std::vector<std::string>{"CloseSock:7"});
  EXPECT_EQ(pipe.TimerId(), -1);

  FakeServerPipe &lookingUp = AddServerPipe(events);
  lookingUp.State = TPipeState::kLookingUp;
  lookingUp.StartTimeout();
  lookingUp.TimerTick();
  lookingUp.TimerTick();
  EXPECT_EQ(events.back(), "CloseSock:1");
}

TEST_F(NetworkWindowTest, InactivityTimerRunsThroughTheWindowTimers) {
  SetTimerScale(0.001);
  Start();
  FakeServerPipe &first = AddServerPipe(events);
  FakeServerPipe &second = AddServerPipe(events);
  first.State = second.State = TPipeState::kConnected;
  first.StartTimeout();
  second.StartTimeout();
  EXPECT_NE(first.TimerId(), second.TimerId());
  ASSERT_TRUE(PumpUntil([] { return ServerPipeList.empty(); }));
  EXPECT_EQ(std::count(events.begin(), events.end(), "CloseSock:7"), 2);
  // The destroy timer frees them; their timer ids are free again.
  ASSERT_TRUE(PumpUntil([] { return FreePipeList.empty(); }));
  EXPECT_EQ(std::count(events.begin(), events.end(), "destroyed"), 2);
}

TEST_F(NetworkWindowTest, DiskFullWarnsOnceAndStopsSpooling) {
  Start();
  Form1->PostMessage(WM_DISKFULL, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !dialogs_.Requests().empty(); }));
  EXPECT_TRUE(DiskFull);
  EXPECT_EQ(dialogs_.Requests()[0].kind, DialogKind::Warning);
  EXPECT_EQ(dialogs_.Requests()[0].text,
            "Disk full! No further attempts will be made to write to disk. It is "
            "recommended that you closedown and free some disk space.");
}

TEST_F(NetworkWindowTest, StopClosesEverythingInOrderAndSavesTheIndexLast) {
  HoldTestLookups(true);
  SetTestHostsOnly(true);
  Start();
  FakeServerPipe &waiting = AddServerPipe(events);
  alignas(hostent) static char block[MAXGETHOSTSTRUCT];
  waiting.LookupTask = WSAAsyncGetHostByName(Form1, WM_HOSTLOOKUP, "slow.test", block, sizeof(block));
  LookupList.push_back(&waiting);

  ClientScript idle;
  auto client = StartClient(port_, idle);
  ASSERT_TRUE(PumpUntil([] { return !ClientPipeList.empty(); }));

  Stop();
  HoldTestLookups(false);
  EXPECT_TRUE(Finish(client).connected);
  EXPECT_EQ(events, std::vector<std::string>{"destroyed"});
  EXPECT_EQ(links_.calls, (std::vector<std::string>{"LoadCacheIndex", "ClearAutoLists", "FreeHostNameCache",
                                                    "SaveCacheIndex"}));
  EXPECT_TRUE(ClientPipeList.empty());
  EXPECT_TRUE(ServerPipeList.empty());
  EXPECT_TRUE(LookupList.empty());
  EXPECT_TRUE(ListenerList.empty());
  EXPECT_EQ(Form1, nullptr);
}

// With the program's own links the stop frees the host-name cache, as it frees every list of
// the run.
TEST_F(NetworkWindowTest, TheProgramsLinksFreeTheHostNameCacheAtStop) {
  TProxyRoad road(store_);
  TNetworkWindowSetup setup;
  setup.settings = &store_;
  setup.dataDirectory = DataDir();
  setup.links = road.Links();
  form_ = std::make_unique<TForm1>(setup);
  DNSCache().Add("cached.test", TIPv4Address{127, 0, 0, 1});
  Stop();
  EXPECT_EQ(DNSCache().Count(), 0u);
}

} // namespace
} // namespace ql::test
