#pragma once

#include "proxy/engine/browser/browser_dde.h"
#include "proxy/platform/dde_client.h"

#include <QByteArray>

#include <functional>

namespace ql {

// The program's conversations with the web browser over DDE (the Bookmarks window's one client
// conversation). Each attempt sets the conversation to DDEServiceName and a topic, opens it and
// closes it again; a conversation that does not open moves DDEServiceName to the next name of
// the cycle NETSCAPE, IEXPLORE, MOSAIC. No conversation that opens ends with a message.
// Blocking; GUI thread only.
class TBrowserConversation : public TBrowserDde {
public:
  TBrowserConversation() = default;

  // Opens a conversation on the service and topic and closes it again.
  bool OpenLink(const QString &service, const QString &topic) override;
  // One attempt on "WWW_Activate": requests "0xFFFFFFFF,0x0", then lets window messages run.
  void ActivateBrowser() override;
  // Up to three attempts on "WWW_Exit": pokes "WWW_Exit" to the item "WWW_Exit".
  void CloseBrowser() override;

  // Up to three attempts on "WWW_OpenURL" with OpenUrlItem: as a command sent without waiting
  // when execute is set (DDEMSIE3), else as a request. True when a conversation opened.
  bool OpenUrlInBrowser(const QByteArray &url, const QByteArray &postData, bool execute);
  // Up to three attempts on "WWW_GetWindowInfo", requesting "0xFFFFFFFF", for the URL and title
  // of the page the browser shows; an empty reply leads to the next attempt. False when no
  // attempt gave a reply.
  bool GetWindowInfo(QByteArray &url, QByteArray &title);

  // Replaces the start of a service's program when no conversation opens (tests).
  void SetLauncher(std::function<UINT(const QString &commandLine)> launcher);

  // WWW_OpenURL for a browser that does not answer over DDE, as no browser on Linux does: the
  // URL (in its normalised form, port 80 taken out) goes to the URL command, which runs the
  // browser with it and answers false when there is no browser command to run. Post data
  // cannot go that way: it is dropped with a line on standard error. False when no URL command
  // is set or it answered false.
  bool OpenUrlByCommand(const QByteArray &url, const QByteArray &postData);
  void SetUrlCommand(std::function<bool(const QByteArray &url)> command) { urlCommand_ = std::move(command); }

private:
  TDdeClientConv conversation_;
  std::function<bool(const QByteArray &url)> urlCommand_;
};

// The WWW_OpenURL item: the URL in double quotes (port 80 taken out), then
// ",,0xFFFFFFFF,0x3," and twice an empty pair of double quotes and a comma, then the post data.
QByteArray OpenUrlItem(const QByteArray &url, const QByteArray &postData);

// Reads a WWW_GetWindowInfo reply, a double quote, the URL, the separator "\",\"", the title
// and a double quote (zero bytes at its end are dropped). The URL is cut to 255 characters; a
// title that begins "Netscape - [" loses that and its closing bracket. False, with both
// texts left alone, when the reply has no separator.
bool ParseWindowInfoReply(const QByteArray &reply, QByteArray &url, QByteArray &title);

} // namespace ql
