#include "proxy/engine/cache/cache_key.h"
#include "proxy/engine/html/html_escape.h"
#include "proxy/engine/http/request_check.h"
#include "proxy/engine/pages/proxy_pages.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

TNotInCacheFacts Facts(const QByteArray &host, int port, const QByteArray &path) {
  TNotInCacheFacts facts;
  facts.Host = host;
  facts.Port = port;
  facts.Path = path;
  return facts;
}

TEST(ProxyPages, NotInCacheOffersTheSwitchForGetOnly) {
  TNotInCacheFacts facts = Facts("a.com", 80, "/x.html?q=1&r=2");
  const QByteArray get = NotInCachePage(facts);
  EXPECT_TRUE(get.startsWith("HTTP/1.0 404 Not in Cache\r\nAllow: GET POST\r\nMIME-version: 1.0\r\n"
                             "Content-type: text/html; charset=UTF-8\r\n\r\n<HEAD><TITLE>Quenlark "
                             "Information</TITLE>"));
  EXPECT_TRUE(get.contains("not found in the cache:<BR><B>http://a.com/x.html?q=1&amp;r=2</B>"));
  // Neither the switch link nor the add form carries a token or a folder: a script of that
  // site could read them.
  EXPECT_TRUE(get.contains("<A HREF=http://quenlark.invalid/online?a.com/x.html?q=1&amp;r=2>Switch to "
                           "'online' mode and retrieve</A>"));
  EXPECT_TRUE(get.contains("<FORM METHOD=GET ACTION=http://quenlark.invalid/bookmarks>"));
  EXPECT_FALSE(get.contains("Place in"));
  EXPECT_TRUE(get.contains("<OPTION VALUE=\"http://a.com:80/x.html?q=1&amp;r=2\" SELECTED>This link"));
  EXPECT_TRUE(get.endsWith("</FORM></CENTER></BODY>"));
  facts.IsGet = false;
  EXPECT_FALSE(NotInCachePage(facts).contains("Switch to 'online' mode"));
}

TEST(ProxyPages, NotInCacheEscapesRequestAndStoredTexts) {
  TNotInCacheFacts facts = Facts("a.com", 8080, "/<script>alert(1)</script>");
  facts.Referrer = "http://b.com/ onmouseover=x";
  facts.Suggestions.push_back({TSuggestion::kQueryPage, "http://a.com/p?x", "<b>Title</b>"});
  const QByteArray page = NotInCachePage(facts);
  EXPECT_FALSE(page.contains("<script>"));
  EXPECT_FALSE(page.contains("<b>Title"));
  EXPECT_TRUE(page.contains("http://a.com:8080/&lt;script&gt;alert(1)&lt;/script&gt;"));
  EXPECT_TRUE(page.contains("<A HREF=http://b.com/&#32;onmouseover=x><IMG"));
  EXPECT_TRUE(page.contains("<OPTION VALUE=\"http://b.com/ onmouseover=x\">Referring Page"));
}

TEST(ProxyPages, SuggestionsAreHeadedOnce) {
  TNotInCacheFacts facts = Facts("host", 80, "/dir");
  facts.Suggestions.push_back({TSuggestion::kDirectory, "http://host/dir/", {}});
  facts.Suggestions.push_back({TSuggestion::kQueryPage, "http://host/q?a", {}});
  const QByteArray page = NotInCachePage(facts);
  EXPECT_EQ(page.count("Try the following link(s) instead"), 1);
  EXPECT_TRUE(page.contains("<BR>Try the following link(s) instead:<BR><A HREF=http://host/dir/><FONT "
                            "SIZE=+2>http://host/dir/</FONT></A><BR><A HREF=http://host/q?a>"));
  facts.Referrer = "http://quenlark.invalid/cache";
  EXPECT_FALSE(NotInCachePage(facts).contains("Referring Page"));
}

TEST(ProxyPages, FixedAnswers) {
  EXPECT_EQ(NowGetRedirect("intranet", 80, "/"),
            "HTTP/1.0 302 Now Get... \r\nLocation: http://www.intranet.com/\r\nAllow: GET "
            "POST\r\nMIME-version: 1.0\r\n\r\n");
  EXPECT_TRUE(
      NowGetRedirect("intranet", 8080, "/x").contains("Location: http://www.intranet.com:8080/x\r\n"));
  const QByteArray news = NewsPage();
  EXPECT_TRUE(news.startsWith("HTTP/1.0 200 OK\r\n"));
  EXPECT_EQ(news.count("HREF=http://quenlark.invalid/cache><IMG"), 2);
  const QByteArray dns = DnsNotFoundPage("nohost.example", 81, "/p", "[bar]");
  EXPECT_TRUE(dns.startsWith("HTTP/1.0 404 DNS not found\r\nContent-type: text/html; charset=UTF-8\r\n\r\n"));
  EXPECT_TRUE(
      dns.contains("<A HREF=\"http://www.nohost.example:81/p\">Retry - http://www.nohost.example/p</A>"));
  EXPECT_EQ(dns.count("[bar]"), 2);
  EXPECT_FALSE(DnsNotFoundPage("www.x.com", 80, "/", {}).contains("www.www."));
  EXPECT_EQ(CacheKey("a.com", 80, "/A"), "http://a.com:80/A");
}

TEST(HtmlEscape, OrdinaryTextUnchanged) {
  EXPECT_EQ(HtmlEscape("http://a.com/x/y.html?k=v"), "http://a.com/x/y.html?k=v");
  EXPECT_EQ(HtmlEscapeAttribute("http://a.com/x"), "http://a.com/x");
  EXPECT_EQ(HtmlEscape("a\"b'c"), "a&quot;b&#39;c");
  EXPECT_EQ(HtmlEscapeAttribute("a b\tc`"), "a&#32;b&#9;c&#96;");
  // UTF-8 characters stay; other bytes from 128 on are read as Latin-1.
  EXPECT_EQ(HtmlEscape("K\xC3\xBC"
                       "che \xE6\x97\xA5 \xF0\x9F\x98\x80"),
            "K\xC3\xBC"
            "che \xE6\x97\xA5 \xF0\x9F\x98\x80");
  EXPECT_EQ(HtmlEscape("K\xFC"
                       "che \xC3 \xE6\x97 \xED\xA0\x80 \xC0\xAF"),
            "K&#252;che &#195; &#230;&#151; &#237;&#160;&#128; &#192;&#175;");
}

TEST(RequestCheck, LoneLineBreaksAreFound) {
  EXPECT_FALSE(HasLoneLineBreak("GET http://a.com/ HTTP/1.0\r\nHost: a.com\r\n\r\n"));
  EXPECT_TRUE(HasLoneLineBreak("GET http://a.com/\nX: y HTTP/1.0\r\n\r\n"));
  EXPECT_TRUE(HasLoneLineBreak("GET http://a.com/ HTTP/1.0\r\nReferer: x\ry\r\n\r\n"));
  EXPECT_TRUE(HasLoneLineBreak("GET / HTTP/1.0\n\n"));
  EXPECT_TRUE(HasLoneLineBreak("\nGET / HTTP/1.0\r\n\r\n"));
}

} // namespace
} // namespace ql
