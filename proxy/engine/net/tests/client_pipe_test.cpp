#include "proxy/engine/net/client_pipe.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/timer_scale.h"
#include "proxy/platform/winsock_test_hooks.h"
#include "support/engine_fixture.h"

#include <QFile>

#include <algorithm>

namespace ql::test {
namespace {

const std::string kInvalid = "HTTP/1.0 400 Invalid request\r\nAllow: GET POST\r\n\r\n";

using ClientPipeTest = EngineTest;

TEST_F(ClientPipeTest, MalformedRequestsGetTheInvalidRequestAnswerByteForByte) {
  Start();
  EXPECT_EQ(Exchange({"BREW /pot HTTP/1.0\r\n\r\n"}).received, kInvalid);
  EXPECT_EQ(Exchange({"POST / HTTP/1.0\r\nContent-Length: 16777217\r\n\r\n"}).received, kInvalid);
  EXPECT_EQ(Exchange({"GET / HTTP/1.0\r\nX: " + std::string(5000, 'x')}).received, kInvalid);
  EXPECT_TRUE(links_.routedHeaders.empty());
}

TEST_F(ClientPipeTest, CompleteRequestIsRoutedOnceAndTheAnswerEndsTheConnection) {
  Start();
  const ClientResult result =
      Exchange({"GET http://a.com/x HTTP/1.1\r\nHost: a.com\r\n\r\n", "GET http://b.com/ HTTP/1.0\r\n\r\n"},
               std::chrono::milliseconds(50));
  EXPECT_EQ(result.received, "HTTP/1.0 200 OK\r\n\r\nrouted");
  ASSERT_EQ(links_.routedHeaders.size(), 1u);
  EXPECT_EQ(links_.routedHeaders[0], "GET http://a.com/x HTTP/1.1\r\nHost: a.com\r\n\r\n");
}

TEST_F(ClientPipeTest, PostBodiesSplitAcrossReadsOrTogetherWithTheHeader) {
  Start();
  Exchange({"POST /f HTTP/1.0\r\nContent-Length: 11\r\n\r\nhello world"});
  Exchange({"POST /f HTTP/1.0\r\nContent-Le", "ngth: 11\r\n\r", "\nhel", "lo wor", "ld"},
           std::chrono::milliseconds(30));
  Exchange({"POST /f HTTP/1.0\r\n\r\n"});
  ASSERT_EQ(links_.routedBodies.size(), 3u);
  EXPECT_EQ(links_.routedBodies[0], "hello world");
  EXPECT_EQ(links_.routedBodies[1], "hello world");
  EXPECT_EQ(links_.routedBodies[2], "");
}

TEST_F(ClientPipeTest, WithoutARouterTheTemporaryAnswerSaysSo) {
  TNetworkWindowSetup setup;
  setup.settings = &store_;
  setup.dataDirectory = DataDir();
  form_ = std::make_unique<TForm1>(setup);
  EXPECT_EQ(Exchange({"GET http://a.com/ HTTP/1.0\r\n\r\n"}).received, TUnroutedRequestAnswer::kAnswer);
}

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) {
    s[i] = static_cast<char>(i * 7 % 251);
  }
  return s;
}

TEST_F(ClientPipeTest, LargeQueuedAnswerDrainsThroughWouldBlock) {
  const std::string big = Pattern(8 * 1024 * 1024);
  bool blocked = false;
  TClientPipe *routed = nullptr;
  links_.route = [&](TClientPipe &pipe) {
    routed = &pipe;
    Answer(pipe, big);
    blocked = pipe.WriteBlocked();
  };
  Start();
  ClientScript script;
  script.pieces = {"GET http://a.com/big HTTP/1.0\r\n\r\n"};
  script.readDelay = std::chrono::milliseconds(300);
  auto client = StartClient(port_, script);
  const ClientResult result = Finish(client);
  EXPECT_TRUE(blocked);
  EXPECT_EQ(result.received.size(), big.size());
  EXPECT_TRUE(result.received == big);
}

TEST_F(ClientPipeTest, SentBytesKeepTheirOrderWhetherTheyGoStraightOutOrWaitInTheQueue) {
  const std::string big = Pattern(8 * 1024 * 1024);
  bool blocked = false;
  bool queued = false;
  links_.route = [&](TClientPipe &pipe) {
    // Pieces of an odd size, so that the socket leaves parts of a piece behind.
    for (std::size_t at = 0; at < big.size(); at += 5000) {
      pipe.SendBytes(big.data() + at, std::min<std::size_t>(5000, big.size() - at));
      queued = queued || pipe.Buffer.IsDirty();
    }
    blocked = pipe.WriteBlocked();
    pipe.CloseAfterSend = true;
    pipe.SendBytes(nullptr, 0);
  };
  Start();
  ClientScript script;
  script.pieces = {"GET http://a.com/big HTTP/1.0\r\n\r\n"};
  script.readDelay = std::chrono::milliseconds(300);
  auto client = StartClient(port_, script);
  const ClientResult result = Finish(client);
  EXPECT_TRUE(blocked);
  EXPECT_TRUE(queued);
  EXPECT_EQ(result.received.size(), big.size());
  EXPECT_TRUE(result.received == big);

  // A short answer goes out at once and, when complete, ends the connection.
  links_.route = [&](TClientPipe &pipe) {
    pipe.CloseAfterSend = true;
    const std::string answer = "HTTP/1.0 204\r\n\r\n";
    pipe.SendBytes(answer.data(), answer.size());
    queued = pipe.Buffer.IsDirty();
  };
  EXPECT_EQ(Exchange({"GET http://a.com/ HTTP/1.0\r\n\r\n"}).received, "HTTP/1.0 204\r\n\r\n");
  EXPECT_FALSE(queued);
}

TEST_F(ClientPipeTest, CachedBodyFileIsSentWholeAndAMissingOneEndsTheAnswer) {
  const std::string body = Pattern(3 * 8192 + 100);
  const QString bodyFile = dir_.filePath("1.ADL");
  {
    QFile file(bodyFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(body.data(), static_cast<qint64>(body.size()));
  }
  QString next = bodyFile;
  links_.route = [&](TClientPipe &pipe) {
    Answer(pipe, "HTTP/1.0 200\r\n\r\n", false);
    pipe.BodyFileName = next;
    pipe.SendingBody = true;
    pipe.SendFile();
  };
  Start();
  ClientScript script;
  script.pieces = {"GET http://a.com/f HTTP/1.0\r\n\r\n"};
  script.readDelay = std::chrono::milliseconds(100);
  auto client = StartClient(port_, script);
  EXPECT_TRUE(Finish(client).received == "HTTP/1.0 200\r\n\r\n" + body);

  next = dir_.filePath("missing.ADL");
  EXPECT_EQ(Exchange({"GET http://a.com/gone HTTP/1.0\r\n\r\n"}).received, "HTTP/1.0 200\r\n\r\n");
}

TEST_F(ClientPipeTest, BodyFileOfExactlyWholePiecesEndsTheAnswer) {
  const std::string body = Pattern(2 * 8192);
  QFile file(dir_.filePath("2.ADL"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(body.data(), static_cast<qint64>(body.size()));
  file.close();
  links_.route = [&](TClientPipe &pipe) {
    pipe.BodyFileName = file.fileName();
    pipe.SendingBody = true;
    pipe.SendFile();
  };
  Start();
  EXPECT_TRUE(Exchange({"GET http://a.com/f HTTP/1.0\r\n\r\n"}).received == body);
}

TEST_F(ClientPipeTest, TrumpetStackRetriesABlockedSendAfterADelay) {
  SetTrumpetStackForTest(true);
  const std::string big = Pattern(16 * 1024 * 1024);
  bool blocked = false;
  bool delayed = false;
  links_.route = [&](TClientPipe &pipe) {
    Answer(pipe, big);
    blocked = pipe.WriteBlocked();
  };
  Start();
  ASSERT_TRUE(TrumpetStack);
  ClientScript script;
  script.pieces = {"GET http://a.com/big HTTP/1.0\r\n\r\n"};
  script.readDelay = std::chrono::milliseconds(300);
  auto client = StartClient(port_, script);
  PumpUntil([&] {
    for (const auto &pipe : ClientPipeList) {
      delayed = delayed || pipe->WriteDelayTimerId() != 0;
    }
    return client.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  });
  ASSERT_TRUE(blocked);
  EXPECT_TRUE(delayed);
  EXPECT_TRUE(client.get().received == big);
}

TEST_F(ClientPipeTest, ClientThatLeavesInTheMiddleIsClosedAndFreed) {
  SetTimerScale(0.02);
  links_.route = [&](TClientPipe &pipe) { Answer(pipe, Pattern(4 * 1024 * 1024)); };
  Start();
  ClientScript partialHeader;
  partialHeader.pieces = {"GET http://a.com/ HTTP/1.0\r\nHost: a"};
  partialHeader.closeAfterSending = true;
  auto first = StartClient(port_, partialHeader);
  ClientScript partialAnswer;
  partialAnswer.pieces = {"GET http://a.com/big HTTP/1.0\r\n\r\n"};
  partialAnswer.readLimit = 100000;
  auto second = StartClient(port_, partialAnswer);
  Finish(first);
  EXPECT_GE(Finish(second).received.size(), 100000u);
  EXPECT_TRUE(PumpUntil([] { return ClientPipeList.empty() && FreePipeList.empty(); }));
  EXPECT_EQ(links_.routedHeaders.size(), 1u);
}

TEST_F(ClientPipeTest, RapidConnectionsAreAllAnsweredAndFreed) {
  Start();
  std::vector<std::future<ClientResult>> clients;
  for (int i = 0; i < 200; ++i) {
    ClientScript script;
    script.pieces = {i % 2 == 0 ? "GET http://a.com/ HTTP/1.0\r\n\r\n" : "JUNK\r\n\r\n"};
    clients.push_back(StartClient(port_, script));
    if (i % 20 == 19) {
      PumpUntil([] { return false; }, std::chrono::milliseconds(5));
    }
  }
  int answered = 0;
  for (int i = 0; i < 200; ++i) {
    const ClientResult result = Finish(clients[i]);
    answered += result.received == (i % 2 == 0 ? "HTTP/1.0 200 OK\r\n\r\nrouted" : kInvalid) ? 1 : 0;
  }
  EXPECT_EQ(answered, 200);
  EXPECT_TRUE(
      PumpUntil([] { return ClientPipeList.empty() && FreePipeList.empty(); }, std::chrono::seconds(8)));
}

TEST_F(ClientPipeTest, ClosedConnectionIsNotFreedBelowAHandlerThatStillUsesIt) {
  links_.route = [&](TClientPipe &pipe) {
    pipe.CloseSock();
    // As if the destroy timer ran in a pump below this handler.
    Form1->FreeAllPipes();
    EXPECT_EQ(FreePipeList.size(), 1u);
    pipe.Buffer.Add("x", 1);
    EXPECT_EQ(pipe.SendData(), -1);
  };
  Start();
  Exchange({"GET http://a.com/ HTTP/1.0\r\n\r\n"});
  EXPECT_EQ(FreePipeList.size(), 1u);
  Form1->FreeAllPipes();
  EXPECT_TRUE(FreePipeList.empty());
}

} // namespace
} // namespace ql::test
