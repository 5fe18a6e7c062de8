#include "proxy/engine/browser/browser_conversation.h"

#include "proxy/engine/http/request_line.h"
#include "proxy/engine/http/text_routines.h"

#include <QCoreApplication>

#include <cstdio>

namespace ql {

namespace {

constexpr int kAttempts = 3;
constexpr char kSeparator[] = "\",\"";
constexpr char kNetscapePrefix[] = "Netscape - [";

void NextService() {
  DDEServiceName = NextDDEServiceName(DDEServiceName).left(8);
}

} // namespace

QByteArray OpenUrlItem(const QByteArray &url, const QByteArray &postData) {
  return '"' + NormalizeUrl(url) + "\",,0xFFFFFFFF,0x3,\"\",\"\"," + postData;
}

bool ParseWindowInfoReply(const QByteArray &reply, QByteArray &url, QByteArray &title) {
  QByteArray text = reply;
  while (text.endsWith('\0'))
    text.chop(1);
  const qsizetype separator = text.indexOf(kSeparator, 1);
  if (separator < 0)
    return false;
  url = ShortText(text.mid(1, separator - 1));
  QByteArray rest = text.mid(separator + 3);
  const bool netscape = rest.startsWith(kNetscapePrefix);
  if (netscape)
    rest = rest.mid(static_cast<qsizetype>(sizeof kNetscapePrefix) - 1);
  if (rest.endsWith('"'))
    rest.chop(1);
  if (netscape && rest.endsWith(']'))
    rest.chop(1);
  title = rest;
  return true;
}

void TBrowserConversation::SetLauncher(std::function<UINT(const QString &)> launcher) {
  conversation_.SetLauncher(std::move(launcher));
}

bool TBrowserConversation::OpenLink(const QString &service, const QString &topic) {
  conversation_.SetLink(service, topic);
  const bool opened = conversation_.OpenLink();
  conversation_.CloseLink();
  return opened;
}

void TBrowserConversation::ActivateBrowser() {
  conversation_.SetLink(DDEServiceName, QStringLiteral("WWW_Activate"));
  if (conversation_.OpenLink())
    conversation_.RequestData("0xFFFFFFFF,0x0");
  conversation_.CloseLink();
  QCoreApplication::processEvents();
}

void TBrowserConversation::CloseBrowser() {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    conversation_.SetLink(DDEServiceName, QStringLiteral("WWW_Exit"));
    if (conversation_.OpenLink()) {
      conversation_.PokeData("WWW_Exit", "WWW_Exit");
      conversation_.CloseLink();
      return;
    }
    NextService();
  }
}

bool TBrowserConversation::OpenUrlInBrowser(const QByteArray &url, const QByteArray &postData, bool execute) {
  const QByteArray item = OpenUrlItem(url, postData);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    conversation_.SetLink(DDEServiceName, QStringLiteral("WWW_OpenURL"));
    if (conversation_.OpenLink()) {
      if (execute)
        conversation_.ExecuteMacro(item, false);
      else
        conversation_.RequestData(item);
      conversation_.CloseLink();
      return true;
    }
    NextService();
  }
  return false;
}

bool TBrowserConversation::OpenUrlByCommand(const QByteArray &url, const QByteArray &postData) {
  if (!urlCommand_)
    return false;
  const QByteArray normalised = NormalizeUrl(url);
  if (!urlCommand_(normalised))
    return false;
  if (!postData.isEmpty())
    std::fprintf(stderr, "The post data of %s cannot be handed to the browser and was dropped.\n",
                 normalised.constData());
  return true;
}

bool TBrowserConversation::GetWindowInfo(QByteArray &url, QByteArray &title) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    conversation_.SetLink(DDEServiceName, QStringLiteral("WWW_GetWindowInfo"));
    if (!conversation_.OpenLink()) {
      NextService();
      continue;
    }
    const QByteArray reply = conversation_.RequestData("0xFFFFFFFF");
    conversation_.CloseLink();
    if (ParseWindowInfoReply(reply, url, title))
      return true;
  }
  return false;
}

} // namespace ql
