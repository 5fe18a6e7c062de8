#pragma once

#include "proxy/engine/net/engine_links.h"
#include "proxy/engine/net/engine_log.h"
#include "proxy/engine/net/timer_ids.h"
#include "proxy/platform/message_window.h"
#include "proxy/platform/winsock.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <unordered_map>
#include <vector>

namespace ql {

class TRegIniFile;
class TServerPipe;
class TPipe;
class Timer;

constexpr UINT WM_CLIENTSOCKET = 0x0C34;
constexpr UINT WM_SERVERSOCKET = 0x0C35;
constexpr UINT WM_HOSTLOOKUP = 0x0C36;
constexpr UINT WM_DISKFULL = 0x0C39;

// What the program hands the network window when it creates it.
struct TNetworkWindowSetup {
  TRegIniFile *settings = nullptr; // the open settings store; must outlive the window
  QString dataDirectory;           // ends in a separator
  bool firstUse = false;
  QStringList parameters; // the command line without the program name
  TEngineLinks links;
};

// The network window: the hidden message window that owns every socket, lookup and timer
// of the engine and whose WndProc is the engine's event loop. Creating it starts the
// engine (settings, command line, socket layer, cache index, lists, listener, TEMP
// directory); destroying it stops the engine in a fixed order (lookups cancelled, sockets
// closed, connections freed, socket layer stopped, cache index saved).
//
// Exactly one exists at a time; Form1 points at it. GUI thread only.
class TForm1 : public MessageWindow {
public:
  static constexpr unsigned kDestroyIntervalMs = 5000;
  static constexpr std::size_t kRecvScratchSize = 8193;
  // Closed connections are destroyed after the handler that closed them once this many wait,
  // and by the destroy timer otherwise.
  static constexpr std::size_t kFreeBatch = 64;
  // Free heap memory beyond this is given back to the system when connections are freed...
  static constexpr std::size_t kTrimThreshold = 16u << 20;
  // ...and beyond this once no connection is left.
  static constexpr std::size_t kQuietTrimThreshold = 1u << 20;
  // Reading from an origin waits while its browser's queue holds more than this.
  static constexpr std::size_t kBrowserQueueBound = 128 * 1024;

  explicit TForm1(const TNetworkWindowSetup &setup);
  ~TForm1() override;

  // Timer ids for the connections' window timers; an id is held until
  // StopConnectionTimer releases it, and 0 means that every id is held. A tick goes to the
  // owner's ConnectionTimer.
  int NextTimerId();
  // A connection was closed because no timer id was free. The destroy timer logs the count
  // ("Connections closed for want of a timer: n") whenever it has grown.
  void NoteTimerlessClose();
  void StartConnectionTimer(int id, unsigned ms, TPipe &owner);
  void StopConnectionTimer(int id);

  // Turns the socket's notifications off, then closes it; returns the closesocket result.
  int CloseAsyncSocket(SOCKET socket);
  // Destroys the closed connections waiting on FreePipeList. Does nothing while one of this
  // window's message handlers runs below it: that frame may still be using a connection.
  void FreeAllPipes();

  void Log(const QString &line) { log_.Add(line); }
  TEngineLog &EngineLog() { return log_; }
  TRequestRouter &Router() { return *links_.router; }
  TOnLineButton &OnLineButton() { return *links_.onLineButton; }
  // WSAStartup's result (0: the socket layer runs).
  int WinsockStatus() const { return winsockStatus_; }
  // The engine did not start and the program is to end: the socket layer did not start, or
  // the cache index load asked for a halt.
  bool Halted() const { return winsockStatus_ != 0 || halted_; }

protected:
  void WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
  int StartWinsock();
  void OnTimer(int id);
  void OnClientSocket(SOCKET socket, WORD event, WORD error);
  void OnServerSocket(SOCKET socket, WORD event, WORD error);
  void OnHostLookup(HANDLE task, WORD error);
  void ReadIntoReceiveQueue(TServerPipe &pipe);
  static bool BrowserBacklogged(const TServerPipe &pipe);
  void ResumeOriginReading(TClientPipe &browser);
  void StopEngine();
  void OnDestroyTimer();
  void RemoveLeftoverDownloads();

  TEngineLog log_;
  TEngineLinks links_;
  TUnroutedRequestAnswer unrouted_;
  TCacheIndexFilesNotBuiltYet noCacheIndex_;
  TEngineListsNotBuiltYet noLists_;
  TNoControlBarYet noControlBar_;
  TTimerIds timerIds_;
  std::unordered_map<int, TPipe *> timerOwners_;
  std::vector<char> recvScratch_;
  std::unique_ptr<Timer> destroyTimer_;
  int winsockStatus_ = -1;
  bool halted_ = false;
  int handlersRunning_ = 0;
  bool trimmedWhenQuiet_ = false; // the heap was trimmed since the last connection went
  long long timerlessCloses_ = 0;
  long long timerlessClosesLogged_ = 0;
};

extern TForm1 *Form1;

} // namespace ql
