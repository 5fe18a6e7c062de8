#pragma once

#include <QString>

namespace ql {

// The conversations with the web browser over DDE that the program's start and exit use.
// The program's DDE client implements it; TNoBrowserDde stands in while there is none, and
// then no browser answers.
class TBrowserDde {
public:
  virtual ~TBrowserDde() = default;
  // Opens a link to the service on the topic and closes it again; true when it opened.
  virtual bool OpenLink(const QString &service, const QString &topic) = 0;
  // Brings the browser's window forward.
  virtual void ActivateBrowser() = 0;
  // Asks the browser to end.
  virtual void CloseBrowser() = 0;
};

class TNoBrowserDde : public TBrowserDde {
public:
  bool OpenLink(const QString &, const QString &) override { return false; }
  void ActivateBrowser() override {}
  void CloseBrowser() override {}
};

// The browser's DDE service name: "NETSCAPE" at start.
extern QString DDEServiceName;

// The service tried after name: "NETSCAPE" gives "IEXPLORE", "IEXPLORE" gives "MOSAIC",
// anything else "NETSCAPE".
QString NextDDEServiceName(const QString &name);

// Whether the browser runs: up to 3 tries to open a link on the topic "WWW_GetWindowInfo",
// with DDEServiceName first and each next name of the cycle after a failed try, which then
// stays the service name.
bool GetBrowserWindowInfo(TBrowserDde &dde);

} // namespace ql
