#include "proxy/engine/browser/browser_conversation.h"
#include "proxy/platform/dde_test_server.h"
#include "proxy/platform/dde_wire.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace ql {
namespace {

// Conversations with test services standing in for browsers, in a runtime directory of the
// test's own. Starting a service's program is recorded instead of done.
class BrowserConversationTest : public ::testing::Test {
protected:
  BrowserConversationTest() : savedRuntime_(qgetenv("XDG_RUNTIME_DIR")) {
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toUtf8());
    DDEServiceName = QStringLiteral("NETSCAPE");
    dde_.SetLauncher([this](const QString &commandLine) {
      launched_ << commandLine;
      return UINT(2);
    });
  }
  ~BrowserConversationTest() override {
    DDEServiceName = QStringLiteral("NETSCAPE");
    qputenv("XDG_RUNTIME_DIR", savedRuntime_);
  }

  QByteArray savedRuntime_;
  QTemporaryDir runtime_;
  QStringList launched_;
  TBrowserConversation dde_;
};

TEST_F(BrowserConversationTest, OpenUrlSendsItsItemToTheFirstServiceThatAnswers) {
  TDdeTestServer mosaic(QStringLiteral("MOSAIC"));
  ASSERT_TRUE(mosaic.Listening());
  EXPECT_TRUE(dde_.OpenUrlInBrowser("http://site.example:80/a b", "q=1", false));
  // NETSCAPE and IEXPLORE did not answer; each got one try at starting its program.
  EXPECT_EQ(launched_, QStringList({"NETSCAPE WWW_OpenURL", "IEXPLORE WWW_OpenURL"}));
  EXPECT_EQ(DDEServiceName, "MOSAIC");
  const std::vector<TDdeExchange> seen = mosaic.Exchanges();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].kind, kDdeConnect);
  EXPECT_EQ(seen[0].topic, "WWW_OpenURL");
  EXPECT_EQ(seen[1].kind, kDdeRequest);
  EXPECT_EQ(seen[1].item, "\"http://site.example/a b\",,0xFFFFFFFF,0x3,\"\",\"\",q=1");

  // With DDEMSIE3 the item goes as a command, without waiting.
  EXPECT_TRUE(dde_.OpenUrlInBrowser("http://other.example:8080/", {}, true));
  ASSERT_TRUE(mosaic.WaitForExchanges(4, 5000));
  const std::vector<TDdeExchange> again = mosaic.Exchanges();
  ASSERT_EQ(again.size(), 4u);
  EXPECT_EQ(again[3].kind, kDdeExecute);
  EXPECT_FALSE(again[3].wait);
  EXPECT_EQ(again[3].item, "\"http://other.example:8080/\",,0xFFFFFFFF,0x3,\"\",\"\",");
}

TEST_F(BrowserConversationTest, NoServiceMeansThreeAttemptsAndTheCycleGoesOn) {
  EXPECT_FALSE(dde_.OpenUrlInBrowser("http://x/", {}, false));
  EXPECT_EQ(launched_, QStringList({"NETSCAPE WWW_OpenURL", "IEXPLORE WWW_OpenURL", "MOSAIC WWW_OpenURL"}));
  EXPECT_EQ(DDEServiceName, "NETSCAPE");
  EXPECT_FALSE(GetBrowserWindowInfo(dde_));
}

TEST_F(BrowserConversationTest, ExitActivateAndGrab) {
  TDdeTestServer netscape(QStringLiteral("NETSCAPE"));
  netscape.Reply("0xFFFFFFFF", {});
  netscape.Reply("0xFFFFFFFF", QByteArray("\"http://page.example/\",\"Netscape - [Page Title]\"\0", 48));
  dde_.CloseBrowser();
  dde_.ActivateBrowser();
  QByteArray url, title;
  ASSERT_TRUE(dde_.GetWindowInfo(url, title));
  EXPECT_EQ(url, "http://page.example/");
  EXPECT_EQ(title, "Page Title");
  EXPECT_TRUE(launched_.isEmpty());

  std::vector<TDdeExchange> seen = netscape.Exchanges();
  ASSERT_EQ(seen.size(), 8u);
  EXPECT_EQ(seen[0].topic, "WWW_Exit");
  EXPECT_EQ(seen[1].kind, kDdePoke);
  EXPECT_EQ(seen[1].item, "WWW_Exit");
  EXPECT_EQ(seen[1].data, "WWW_Exit");
  EXPECT_EQ(seen[2].topic, "WWW_Activate");
  EXPECT_EQ(seen[3].item, "0xFFFFFFFF,0x0");
  // The empty reply led to a second attempt.
  EXPECT_EQ(seen[4].topic, "WWW_GetWindowInfo");
  EXPECT_EQ(seen[5].item, "0xFFFFFFFF");
  EXPECT_EQ(seen[6].kind, kDdeConnect);
  EXPECT_EQ(seen[7].item, "0xFFFFFFFF");

  // A refused topic counts as a conversation that did not open.
  netscape.RefuseTopic(QStringLiteral("WWW_Exit"));
  dde_.CloseBrowser();
  EXPECT_EQ(DDEServiceName, "NETSCAPE");
  EXPECT_EQ(launched_, QStringList({"NETSCAPE WWW_Exit", "IEXPLORE WWW_Exit", "MOSAIC WWW_Exit"}));
}

TEST(WindowInfoReply, ReadsUrlAndTitle) {
  QByteArray url = "kept", title = "kept";
  EXPECT_FALSE(ParseWindowInfoReply("", url, title));
  EXPECT_FALSE(ParseWindowInfoReply("\"http://no-separator/\"", url, title));
  EXPECT_EQ(url, "kept");
  EXPECT_EQ(title, "kept");
  ASSERT_TRUE(ParseWindowInfoReply("\"http://a/\",\"Plain [title]\"", url, title));
  EXPECT_EQ(url, "http://a/");
  EXPECT_EQ(title, "Plain [title]");
  ASSERT_TRUE(ParseWindowInfoReply("\"" + QByteArray(300, 'u') + "\",\"T\"", url, title));
  EXPECT_EQ(url.size(), 255);
  EXPECT_EQ(title, "T");
}

} // namespace
} // namespace ql
