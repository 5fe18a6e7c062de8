#include "proxy/engine/net/network_window.h"

#include "proxy/engine/cache/file_recycler.h"
#include "proxy/engine/http/dates.h"
#include "proxy/engine/http/paths.h"
#include "proxy/engine/net/client_pipe.h"
#include "proxy/engine/net/command_line.h"
#include "proxy/engine/net/engine_settings.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/listener.h"
#include "proxy/engine/net/online_mode.h"
#include "proxy/engine/net/server_pipe.h"
#include "proxy/engine/net/test_hooks.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/message_queue.h"
#include "proxy/platform/timer.h"

#include <QCoreApplication>
#include <QDir>

#include <cmath>
#include <malloc.h>

namespace ql {

TForm1 *Form1 = nullptr;

namespace {

constexpr double kNewsIntervalDays = 30;

} // namespace

TForm1::TForm1(const TNetworkWindowSetup &setup)
    : links_(setup.links), timerIds_(TimerIdLimitForTest() > 0 ? TimerIdLimitForTest() : TTimerIds::kLastId) {
  Form1 = this;
  ResetEngineState();
  if (links_.router == nullptr) {
    links_.router = &unrouted_;
  }
  if (links_.cacheIndex == nullptr) {
    links_.cacheIndex = &noCacheIndex_;
  }
  if (links_.lists == nullptr) {
    links_.lists = &noLists_;
  }
  if (links_.onLineButton == nullptr) {
    links_.onLineButton = &noControlBar_;
  }
  destroyTimer_ = std::make_unique<Timer>([this] { OnDestroyTimer(); }, kDestroyIntervalMs, true);

  DataDirectory = setup.dataDirectory;
  EngineSettings = ReadEngineSettings(
      *setup.settings, [&] { ReadCommandLine(setup.parameters, DataDirectory, AutoBrowseAtStart); });
  const TEngineSettings &s = EngineSettings;

  const double today = std::floor(Now());
  NewsDue = !s.DontCheckIn && (setup.firstUse || today - s.CheckIn > kNewsIntervalDays);

  UseUpstreamProxy = s.ProxyIP != QLatin1String("!!NO_INFO") && s.ProxyPort != -1;
  if (UseUpstreamProxy) {
    UpstreamProxyHost = s.ProxyIP.toLatin1();
  }

  SetOffLineMode(s.StartOffLine);

  DefaultItemSizeLimit = s.MaxCacheItemSize;

  try {
    winsockStatus_ = StartWinsock();
  } catch (...) {
  }

  recvScratch_.assign(kRecvScratchSize, '\0');

  try {
    links_.cacheIndex->LoadCacheIndex();
  } catch (const std::exception &e) {
    Log(QStringLiteral("The cache index was not loaded: %1").arg(QString::fromLocal8Bit(e.what())));
  } catch (...) {
    Log(QStringLiteral("The cache index was not loaded"));
  }
  if (links_.cacheIndex->HaltRequested()) {
    // The data files must stay as they are: no listener, no TEMP directory, and the program ends.
    halted_ = true;
    QMetaObject::invokeMethod(QCoreApplication::instance(), "quit", Qt::QueuedConnection);
    return;
  }

  // Leftovers go before the listener opens, so that no request can meet them.
  TempDirectory = DataDirectory + QStringLiteral("TEMP\\");
  if (!QDir().mkpath(FileSystemPath(TempDirectory))) {
    Log(QStringLiteral("Cannot create the directory %1").arg(FileSystemPath(TempDirectory)));
  }
  RemoveLeftoverDownloads();

  ClientPipeList.clear();
  ServerPipeList.clear();
  FreePipeList.clear();
  ListenerList.clear();
  LookupList.clear();

  auto listener = std::make_unique<TListener>();
  listener->Port = s.HTTPProxyPort;
  listener->Loopback = s.UseLoopback;
  Listener = listener.get();
  ListenerList.push_back(std::move(listener));
  Listener->StartListening();
}

void TForm1::RemoveLeftoverDownloads() {
  // Downloads of an earlier run that ended without its stop (a crash, a kill) are unfinished;
  // nothing will ever store them. Its spare files are the cache's no longer.
  QDir temp(FileSystemPath(TempDirectory));
  const QString spares = QLatin1String(TFileRecycler::kSparePrefix) + QLatin1Char('*') +
                         QLatin1String(TFileRecycler::kSpareSuffix);
  for (const QString &name :
       temp.entryList({QStringLiteral("ts*.adr"), spares}, QDir::Files | QDir::System)) {
    temp.remove(name);
  }
}

TForm1::~TForm1() {
  StopEngine();
  Form1 = nullptr;
}

int TForm1::StartWinsock() {
  WSADATA data{};
  const int result = WSAStartup(MAKEWORD(1, 1), &data);
  if (result != 0) {
    MessageDlg(QStringLiteral("Unable to initialise Winsock. Please check your configuration and try again."),
               DialogKind::Error, DialogButtons::Ok);
    QMetaObject::invokeMethod(QCoreApplication::instance(), "quit", Qt::QueuedConnection);
    return result;
  }
  TrumpetStack = QString::fromLatin1(data.szDescription).toUpper().contains(QLatin1String("TRUMPET"));
  return result;
}

void TForm1::StopEngine() {
  destroyTimer_.reset();
  UpstreamProxyHost.clear();
  recvScratch_.clear();
  try {
    try {
      std::vector<TServerPipe *> lookups;
      lookups.swap(LookupList);
      for (TServerPipe *pipe : lookups) {
        WSACancelAsyncRequest(pipe->LookupTask);
      }
    } catch (...) {
    }
    try {
      for (auto &pipe : ClientPipeList.TakeAll()) {
        closesocket(pipe->Socket);
        pipe.reset();
      }
    } catch (...) {
    }
    try {
      for (auto &pipe : ServerPipeList.TakeAll()) {
        closesocket(pipe->Socket);
        pipe.reset();
      }
    } catch (...) {
    }
    try {
      while (!ListenerList.empty()) {
        ListenerList.front()->StopListening();
        ListenerList.erase(ListenerList.begin());
      }
    } catch (...) {
    }
    Listener = nullptr;
    FreeAllPipes();
    links_.lists->ClearAutoLists();
    links_.lists->FreeHostNameCache();
  } catch (...) {
  }
  WSACleanup();
  try {
    links_.cacheIndex->SaveCacheIndex();
  } catch (const std::exception &e) {
    qWarning("The cache index was not saved: %s", e.what());
  } catch (...) {
    qWarning("The cache index was not saved");
  }
}

int TForm1::NextTimerId() {
  return timerIds_.Next();
}

void TForm1::NoteTimerlessClose() {
  ++timerlessCloses_;
}

void TForm1::StartConnectionTimer(int id, unsigned ms, TPipe &owner) {
  timerOwners_[id] = &owner;
  SetTimer(static_cast<UINT_PTR>(id), ms);
}

void TForm1::StopConnectionTimer(int id) {
  KillTimer(static_cast<UINT_PTR>(id));
  timerOwners_.erase(id);
  timerIds_.Release(id);
}

int TForm1::CloseAsyncSocket(SOCKET socket) {
  WSAAsyncSelect(socket, this, 0, 0);
  return closesocket(socket);
}

void TForm1::FreeAllPipes() {
  if (handlersRunning_ > 0) {
    return;
  }
  // Destroying a connection clears the other side's link to it. Connections retired meanwhile
  // wait for the next round.
  while (!FreePipeList.empty()) {
    std::vector<std::unique_ptr<TPipe>> batch;
    batch.swap(FreePipeList);
    for (auto &pipe : batch) {
      try {
        pipe->KillTimeout();
        pipe.reset();
      } catch (...) {
      }
    }
  }
}

void TForm1::OnDestroyTimer() {
  const bool freeing = !FreePipeList.empty();
  FreeAllPipes();
  if (CountConnectionsForTest()) {
    Log(QStringLiteral("Connection objects: %1").arg(TPipe::LiveCount()));
    if (const QString syncs = links_.cacheIndex->SyncReport(); !syncs.isEmpty())
      Log(syncs);
  }
  if (timerlessCloses_ != timerlessClosesLogged_) {
    timerlessClosesLogged_ = timerlessCloses_;
    Log(QStringLiteral("Connections closed for want of a timer: %1").arg(timerlessCloses_));
  }
  // The queues and requests of busy connections come from many small blocks; once a peak of
  // traffic has left much of them free, give the pages back to the system rather than keep
  // them: at most once a period while connections come and go, and once more when the last
  // connection is gone, so that what stays reflects what is in use rather than the peak.
  const bool quiet = ClientPipeList.empty() && ServerPipeList.empty();
  if (handlersRunning_ == 0 && (freeing || (quiet && !trimmedWhenQuiet_))) {
    const std::size_t free = ::mallinfo2().fordblks;
    if (free > kTrimThreshold || (quiet && free > kQuietTrimThreshold)) {
      ::malloc_trim(0);
    }
    trimmedWhenQuiet_ = quiet;
  }
  if (!quiet) {
    trimmedWhenQuiet_ = false;
  }
}

void TForm1::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  ++handlersRunning_;
  struct Leave {
    TForm1 &form;
    ~Leave() {
      // Under heavy traffic closed connections are not left waiting for the destroy timer:
      // thousands of them would hold memory for seconds. Once no handler runs, none is in use.
      if (--form.handlersRunning_ == 0 && FreePipeList.size() >= kFreeBatch) {
        form.FreeAllPipes();
      }
    }
  } leave{*this};
  switch (msg) {
  case WM_TIMER:
    OnTimer(static_cast<int>(wParam));
    return;
  case WM_CLIENTSOCKET:
    OnClientSocket(static_cast<SOCKET>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                   HIWORD(static_cast<std::uintptr_t>(lParam)));
    return;
  case WM_SERVERSOCKET:
    OnServerSocket(static_cast<SOCKET>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                   HIWORD(static_cast<std::uintptr_t>(lParam)));
    return;
  case WM_HOSTLOOKUP:
    OnHostLookup(static_cast<HANDLE>(wParam), HIWORD(static_cast<std::uintptr_t>(lParam)));
    return;
  case WM_DISKFULL:
    DiskFull = true;
    RunOutsideDispatch([] {
      MessageDlg(
          QStringLiteral("Disk full! No further attempts will be made to write to disk. It is recommended "
                         "that you closedown and free some disk space."),
          DialogKind::Warning, DialogButtons::Ok);
    });
    return;
  default:
    MessageWindow::WndProc(msg, wParam, lParam);
  }
}

void TForm1::OnTimer(int id) {
  const auto owner = timerOwners_.find(id);
  if (owner == timerOwners_.end()) {
    MessageWindow::WndProc(WM_TIMER, static_cast<WPARAM>(id), 0);
    return;
  }
  try {
    owner->second->ConnectionTimer(id);
  } catch (...) {
  }
}

void TForm1::OnClientSocket(SOCKET socket, WORD event, WORD error) {
  if (TClientPipe *pipe = ClientPipeList.Find(socket)) {
    switch (event) {
    case FD_READ:
      pipe->RecvData();
      break;
    case FD_WRITE:
      if (pipe->WriteBlocked() && TrumpetStack) {
        pipe->StartWriteDelayTimer();
      } else {
        pipe->NoteWritable();
        pipe->SendData();
        if (!pipe->Buffer.IsDirty() && pipe->SendingBody) {
          pipe->SendFile();
        }
        ResumeOriginReading(*pipe);
      }
      break;
    case FD_CONNECT:
      pipe->Connected();
      break;
    case FD_CLOSE:
      pipe->PeerClosed(error);
      break;
    default:
      break;
    }
    return;
  }
  for (const auto &listener : ListenerList) {
    if (listener->Socket() == socket) {
      if (event == FD_ACCEPT) {
        listener->AcceptConnection();
      }
      return;
    }
  }
}

bool TForm1::BrowserBacklogged(const TServerPipe &pipe) {
  return pipe.ClientPipe != nullptr && pipe.ClientPipe->Buffer.Size() > kBrowserQueueBound;
}

void TForm1::ReadIntoReceiveQueue(TServerPipe &pipe) {
  // Each piece goes on to the browser before the next is read. While the browser's queue is
  // over its bound nothing is read: no recv re-arms FD_READ, so the origin waits in its socket
  // until the browser side drains (ResumeOriginReading).
  for (;;) {
    pipe.ReadPaused = BrowserBacklogged(pipe);
    if (pipe.ReadPaused) {
      break;
    }
    const int received = recv(pipe.Socket, recvScratch_.data(), static_cast<int>(kRecvScratchSize - 1), 0);
    if (received <= 0) {
      break;
    }
    pipe.Buffer.Add(recvScratch_.data(), static_cast<std::size_t>(received));
    pipe.RecvData();
  }
  if (pipe.Buffer.IsDirty()) {
    pipe.RecvData();
  }
}

void TForm1::ResumeOriginReading(TClientPipe &browser) {
  TServerPipe *origin = browser.ServerPipe;
  if (origin == nullptr || !origin->ReadPaused) {
    return;
  }
  // The origin waits for the browser, not the other way round: a browser that takes its bytes,
  // however slowly, keeps the fetch from timing out.
  if (!origin->StartTimeout()) {
    return;
  }
  if (!BrowserBacklogged(*origin)) {
    ReadIntoReceiveQueue(*origin);
  }
}

void TForm1::OnServerSocket(SOCKET socket, WORD event, WORD error) {
  TServerPipe *pipe = ServerPipeList.Find(socket);
  if (pipe == nullptr) {
    return;
  }
  switch (event) {
  case FD_READ:
    ReadIntoReceiveQueue(*pipe);
    break;
  case FD_WRITE:
    if (!pipe->RequestSent()) {
      pipe->SendRequest();
    } else {
      pipe->SendData();
    }
    break;
  case FD_CONNECT:
    pipe->Connected(error);
    break;
  case FD_CLOSE:
    pipe->EndedNormally = error == 0;
    ReadIntoReceiveQueue(*pipe);
    pipe->CloseSock();
    break;
  default:
    break;
  }
}

void TForm1::OnHostLookup(HANDLE task, WORD error) {
  for (auto it = LookupList.begin(); it != LookupList.end(); ++it) {
    if ((*it)->LookupTask == task) {
      TServerPipe *pipe = *it;
      LookupList.erase(it);
      pipe->LookupDone(error);
      return;
    }
  }
}

} // namespace ql
