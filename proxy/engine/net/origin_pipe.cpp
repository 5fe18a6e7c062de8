#include "proxy/engine/net/origin_pipe.h"

#include "proxy/engine/cache/cache_answer.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/http/paths.h"
#include "proxy/engine/http/url_parts.h"
#include "proxy/engine/net/buffer_size.h"
#include "proxy/engine/net/client_pipe.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/failed_fetch_pages.h"
#include "proxy/engine/net/network_window.h"
#include "proxy/engine/net/own_endpoints.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace ql {

namespace {

// Origin sockets ask for buffers that let a fast origin keep streaming between two turns of
// the event loop.
constexpr int kSocketBufferSize = 262144;
constexpr qsizetype kPieceSize = 8192;
constexpr int kLookupTries = 3;

// The answer to a time-out before any response header came.
constexpr char kTimeOutAnswer[] =
    "HTTP/1.0 503 TimeOut\r\nAllow: GET POST\r\n\r\n<H1>503 Request Timed Out</H1>";
// What follows the bytes already relayed when the time-out comes after the header.
constexpr char kTimedOutTrailer[] = "\r\n\r\nTIMED OUT";

// The bytes of one send, or one piece of the receive queue, of an origin-side connection.
// No connection keeps anything here from one call to the next, so they all share it (GUI
// thread only); the browser side has a scratch of its own, so a piece relayed from here
// stays intact while the browser side sends.
char *Scratch() {
  static std::array<char, kPieceSize + 1> scratch;
  return scratch.data();
}

// Numbers the download files of this run.
uint64_t NextDownloadNumber() {
  static uint64_t counter = 0;
  return ++counter;
}

void Unlist(std::vector<TServerPipe *> &list, TServerPipe *pipe) {
  list.erase(std::remove(list.begin(), list.end(), pipe), list.end());
}

} // namespace

TOriginPipe::TOriginPipe(TProxyCache &cache)
    : cache_(cache),
      download_path_(FileSystemPath(TempDirectory) + QStringLiteral("ts%1.adr").arg(NextDownloadNumber())),
      download_(download_path_, &cache.Store().Recycler()) {}

TOriginPipe::~TOriginPipe() {
  if (LookupTask != 0 && std::find(LookupList.begin(), LookupList.end(), this) != LookupList.end()) {
    WSACancelAsyncRequest(LookupTask);
    Unlist(LookupList, this);
  }
  OwnOriginEndpoints.Remove(ownEndpoint_);
}

void TOriginPipe::InitiateConnection() {
  if (lookup_tries_ == 0) {
    Socket = socket(AF_INET, SOCK_STREAM, 0);
    if (Socket == INVALID_SOCKET) {
      State = TPipeState::kFailed;
      CloseSock();
      return;
    }
  }
  const QByteArray name = UseUpstreamProxy ? UpstreamProxyHost : Host;
  if (IsHostName(name)) {
    if (DNSCache().Find(name, address_))
      ConnectToRemote();
    else
      DNSLookup(name);
    return;
  }
  const auto quad = ParseDottedQuad(name);
  if (!quad) {
    DNSLookup(name);
    return;
  }
  address_ = *quad;
  ConnectToRemote();
}

void TOriginPipe::DNSLookup(const QByteArray &name) {
  State = TPipeState::kLookingUp;
  lookup_name_ = name;
  LookupTask = WSAAsyncGetHostByName(Form1, WM_HOSTLOOKUP, name.constData(), lookup_result_.data(),
                                     static_cast<int>(lookup_result_.size()));
  if (LookupTask == 0) {
    LookupDone(WSAHOST_NOT_FOUND);
    return;
  }
  LookupList.push_back(this);
  StartTimeout();
}

void TOriginPipe::LookupDone(int errorCode) {
  LookupTask = 0;
  if (closed_)
    return;
  if (errorCode == 0) {
    State = TPipeState::kConnecting;
    const auto *entry = reinterpret_cast<const hostent *>(lookup_result_.data());
    std::memcpy(address_.data(), entry->h_addr_list[0], address_.size());
    DNSCache().Add(lookup_name_, address_);
    ConnectToRemote();
    return;
  }
  if (++lookup_tries_ < kLookupTries) {
    InitiateConnection();
    return;
  }
  State = TPipeState::kLookupFailed;
  if (ClientPipe != nullptr && FailurePages != nullptr) {
    const QByteArray page = FailurePages->HostNotFound(Host, Port, Path);
    ClientPipe->Buffer.Add(page.constData(), static_cast<std::size_t>(page.size()));
    ClientPipe->CloseAfterSend = true;
    ClientPipe->SendData();
  }
  CloseSock();
}

void TOriginPipe::ConnectToRemote() {
  if (Socket == INVALID_SOCKET) {
    State = TPipeState::kFailed;
    CloseSock();
    return;
  }
  for (const int option : {SO_RCVBUF, SO_SNDBUF}) {
    SetSocketBufferSize(
        [&](int size) {
          return setsockopt(Socket, SOL_SOCKET, option, reinterpret_cast<const char *>(&size), sizeof size);
        },
        kSocketBufferSize);
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(UseUpstreamProxy ? EngineSettings.ProxyPort : Port));
  std::memcpy(&address.sin_addr.s_addr, address_.data(), address_.size());
  if (WSAAsyncSelect(Socket, Form1, WM_SERVERSOCKET, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) != 0) {
    State = TPipeState::kFailed;
    CloseSock();
    return;
  }
  if (connect(Socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) == SOCKET_ERROR &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    State = TPipeState::kFailed;
    CloseSock();
    return;
  }
  State = TPipeState::kConnecting;
  ownEndpoint_ = OwnOriginEndpoints.Add(Socket, address);
  StartTimeout();
}

void TOriginPipe::Connected(int errorCode) {
  if (errorCode != 0) {
    // The origin refused the connection or could not be reached: the browser hears of it now
    // rather than at the end of the inactivity time-out.
    State = TPipeState::kFailed;
    CloseSock();
    return;
  }
  State = TPipeState::kConnected;
  StartTimeout();
}

void TOriginPipe::SendRequest() {
  request_sent_ = true;
  BufferSend.Add(RequestText.constData(), static_cast<std::size_t>(RequestText.size()));
  SendData();
}

int TOriginPipe::SendData() {
  if (!request_sent_)
    return 0;
  for (;;) {
    QueueBodyBlock();
    if (!BufferSend.IsDirty())
      return 0;
    char *const work = Scratch();
    const std::size_t n = BufferSend.ReadOldest(work, kPieceSize);
    const int sent = closed_ ? SOCKET_ERROR : send(Socket, work, static_cast<int>(n), 0);
    if (sent == SOCKET_ERROR) {
      const int error = closed_ ? -1 : WSAGetLastError();
      if (error != WSAEWOULDBLOCK && !closed_)
        CloseSock();
      return error;
    }
    BufferSend.RemoveOldest(static_cast<std::size_t>(sent));
  }
}

void TOriginPipe::QueueBodyBlock() {
  const std::size_t queued = BufferSend.Size();
  if (queued >= static_cast<std::size_t>(kPieceSize) || body_queued_ >= PostBody.Size())
    return;
  const std::size_t n =
      std::min(static_cast<std::size_t>(kPieceSize) - queued, PostBody.Size() - body_queued_);
  BufferSend.Add(PostBody.Bytes().data() + body_queued_, n);
  body_queued_ += n;
  if (body_queued_ == PostBody.Size())
    BodyQueued();
}

void TOriginPipe::BodyQueued() {
  BufferSend.Add("\r\n", 2);
  // Only a body that an entry can be stored under is needed any more, as the answer's key.
  if (!TCacheStore::CanKeepPostData(PostBody.View()))
    PostBody.Clear();
}

bool TOriginPipe::OpenDownload() {
  if (!download_.Create()) {
    Spool = false;
    return false;
  }
  return true;
}

void TOriginPipe::WriteDownload(const char *bytes, qsizetype n) {
  if (!Spool || n == 0)
    return;
  if (!download_.IsOpen() && !OpenDownload())
    return;
  // Pieces are written as they come; a buffer of its own would only copy them once more.
  if (!download_.Write(bytes, n)) {
    Form1->PostMessage(WM_DISKFULL, static_cast<WPARAM>(Socket), 0);
    DropDownload();
  }
}

// The download will not be stored: no more writes, and the file goes at once.
void TOriginPipe::DropDownload() {
  Spool = false;
  download_.Discard();
}

void TOriginPipe::RelayToBrowser(const char *bytes, qsizetype n) {
  if (ClientPipe == nullptr || n == 0)
    return;
  relayed_ = true;
  try {
    ClientPipe->SendBytes(bytes, static_cast<std::size_t>(n));
  } catch (const std::exception &) {
    ClientPipe->ServerPipe = nullptr;
    ClientPipe = nullptr;
  }
}

int64_t TOriginPipe::ItemSizeLimit() const {
  if (Receiver)
    return Receiver->ItemSizeLimit();
  return cache_.Store().MaxCacheItemSize();
}

void TOriginPipe::CountBody(qsizetype n) {
  body_count_ += n;
  if (Receiver && n > 0) {
    Receiver->BodyReceived(n);
    if (body_count_ > ItemSizeLimit())
      Receiver->Abort();
  }
  // A body above the item size limit is never stored; spooling it would only cost disk.
  if (Spool && body_count_ > ItemSizeLimit())
    DropDownload();
}

int TOriginPipe::RecvData() {
  if (!closed_ && !StartTimeout())
    return 0;
  // The download exists from the first bytes on, so that a redirect without a body is stored too.
  if (Spool && !download_.IsOpen())
    OpenDownload();
  int last = 0;
  while (Buffer.IsDirty()) {
    const std::size_t n = Buffer.ReadOldest(Scratch(), kPieceSize);
    Buffer.RemoveOldest(n);
    last = static_cast<int>(n);
    const char *piece = Scratch();
    qsizetype offset = 0;
    if (reader_.InHeader()) {
      const TResponseReader::TStep step = reader_.Feed(piece, static_cast<qsizetype>(n));
      if (!step.headerEnded)
        continue;
      offset = step.bodyOffset;
      if (step.noHeader) {
        reader_.ReleaseHeader();
        RefuseAnswer();
      } else {
        header_parsed_ = true;
        ProcessResponse();
      }
    }
    qsizetype rest = static_cast<qsizetype>(n) - offset;
    if (refused_ || bodyless_) {
      // Nothing after such a header belongs to the answer.
      rest = 0;
    } else if (response_.LengthDeclared && response_.LengthValid && !response_.TransferEncoded &&
               rest > response_.ContentLength - body_count_) {
      // Bytes beyond the declared length belong to no answer: neither the browser nor the
      // cache gets them, and the connection ends below.
      rest = std::max<qsizetype>(0, response_.ContentLength - body_count_);
      overran_ = true;
    }
    WriteDownload(piece + offset, rest);
    RelayToBrowser(piece + offset, rest);
    CountBody(rest);
  }
  if (!closed_ && response_.ContentLength > 0 && body_count_ >= response_.ContentLength)
    shutdown(Socket, SD_SEND);
  // An Autobrowse fetch over its size limit ends here: nothing of it will be stored; so does an
  // answer longer than it said, one that cannot be read, and one that ended at its header.
  if (!closed_ && (Aborted() || overran_ || refused_ || bodyless_))
    CloseSock();
  return last;
}

void TOriginPipe::ProcessResponse() {
  const QByteArray header = reader_.HeaderText();
  reader_.ReleaseHeader();
  response_ = ParseResponseHeader(header, cache_.Mimes());
  if (!response_.Readable()) {
    RefuseAnswer();
    return;
  }
  bodyless_ = Method == TRequestMethod::kHead || response_.Bodyless();
  if (response_.ContentLength > ItemSizeLimit()) {
    DropDownload();
    if (Receiver)
      Receiver->Abort();
  }
  if (ClientPipe == nullptr)
    return;
  if (response_.Status == 304 && AnswerNotModifiedFromCache())
    return;
  if (header.size() > 10) {
    RelayToBrowser(header.constData(), header.size());
    header_relayed_ = true;
  }
}

void TOriginPipe::RefuseAnswer() {
  refused_ = true;
  DropDownload();
}

// A 304 confirms the browser's cache entry: the browser gets it whole as "200 OK". When the
// entry has left the cache meanwhile, or its body is no longer whole, the 304 is relayed as
// it stands instead.
bool TOriginPipe::AnswerNotModifiedFromCache() {
  TCacheItem *item = CacheId != 0 ? cache_.Index().FindCacheItemById(CacheId) : nullptr;
  if (item == nullptr || !cache_.Store().HasWholeBody(*item))
    return false;
  TClientPipe *browser = ClientPipe;
  const QByteArray header = CacheHeader("200 OK", *item, cache_.Mimes());
  browser->Buffer.Add(header.constData(), static_cast<std::size_t>(header.size()));
  item->Validated = 1;
  item->Retrieved = Now();
  cache_.Index().SetLastAccessed(*item, item->Retrieved);
  // The browser's answer now comes from the body file alone; a HEAD gets the header alone.
  browser->ServerPipe = nullptr;
  ClientPipe = nullptr;
  if (Method == TRequestMethod::kHead) {
    browser->CloseAfterSend = true;
    browser->SendData();
    return true;
  }
  browser->BodyFileName = cache_.Store().BodyPath(item->ID);
  browser->SendData();
  browser->SendFile();
  return true;
}

void TOriginPipe::AbortConnection() {
  if (State == TPipeState::kLookingUp) {
    WSACancelAsyncRequest(LookupTask);
    LookupTask = 0;
    Unlist(LookupList, this);
  }
  State = TPipeState::kAbandoned;
  CloseSock();
}

void TOriginPipe::FinishBrowser() {
  TClientPipe *browser = ClientPipe;
  if (browser == nullptr)
    return;
  browser->ServerPipe = nullptr;
  ClientPipe = nullptr;
  if (refused_ && FailurePages != nullptr) {
    const QByteArray page = FailurePages->UnreadableAnswer(Host, Port, Path);
    browser->Buffer.Add(page.constData(), static_cast<std::size_t>(page.size()));
  } else if (State == TPipeState::kTimedOut || State == TPipeState::kFailed) {
    const char *text = header_relayed_ ? kTimedOutTrailer : kTimeOutAnswer;
    browser->Buffer.Add(text, std::strlen(text));
  } else if (State == TPipeState::kConnected && !relayed_ && FailurePages != nullptr) {
    // The origin ended the connection without an answer the browser could be given.
    const QByteArray page = FailurePages->ClosedWithoutAnswer(Host, Port, Path);
    browser->Buffer.Add(page.constData(), static_cast<std::size_t>(page.size()));
  }
  if (!browser->SendingBody) {
    browser->CloseAfterSend = true;
    browser->SendData();
  }
}

void TOriginPipe::CloseSock() {
  if (closed_)
    return;
  closed_ = true;
  KillTimeout();
  if (State == TPipeState::kLookingUp) {
    WSACancelAsyncRequest(LookupTask);
    LookupTask = 0;
    Unlist(LookupList, this);
    State = TPipeState::kTimedOut;
  } else if (State != TPipeState::kAbandoned && State != TPipeState::kFailed) {
    RecvData();
    if (reader_.InHeader() && State != TPipeState::kTimedOut && !reader_.HeaderText().isEmpty())
      ProcessResponse();
  }
  FinishBrowser();
  // Once only: a later connection may take the same two ends.
  OwnOriginEndpoints.Remove(ownEndpoint_);
  ownEndpoint_ = {};
  if (Socket != INVALID_SOCKET && Form1->CloseAsyncSocket(Socket) == 0) {
    FetchDone();
    State = TPipeState::kClosed;
  }
  DropDownload();
  PostBody.Clear();
  if (Receiver) {
    // Taken out of the connection first: whatever the receiver starts when it hears of the
    // close finds this connection no longer fetching for it.
    const std::unique_ptr<TFetchReceiver> receiver = std::move(Receiver);
    receiver->Closed();
  }
  RetireServerPipe(this);
}

bool TOriginPipe::AnswerComplete() const {
  if (!header_parsed_ || !response_.Readable() || refused_)
    return false;
  if (bodyless_)
    return true;
  if (response_.TransferEncoded || !response_.LengthValid || overran_)
    return false;
  if (response_.LengthDeclared)
    return body_count_ == response_.ContentLength;
  return EndedNormally && State != TPipeState::kTimedOut && State != TPipeState::kAbandoned;
}

void TOriginPipe::FetchDone() {
  const int status = response_.Status;
  const bool redirect = status == 301 || status == 302;
  if (Receiver) {
    if (header_parsed_ && response_.Readable())
      Receiver->AnswerDone(FetchResult(), AnswerComplete());
    return;
  }
  if (Method == TRequestMethod::kHead || !((status >= 200 && status < 299) || status >= 400 || redirect))
    return;
  // Only a whole answer is stored: off-line it is served as complete.
  if (!AnswerComplete())
    return;
  cache_.Store().SetDiskFull(DiskFull);
  cache_.Store().StoreCacheItem(kBrowserMode, FetchResult());
}

TFetchResult TOriginPipe::FetchResult() {
  const int status = response_.Status;
  const bool redirect = status == 301 || status == 302;
  TFetchResult fetch;
  fetch.Spooled = Spool;
  fetch.Download = &download_;
  fetch.DownloadPath = download_.ReadPath();
  fetch.Host = Host;
  fetch.Port = Port;
  fetch.Path = Path;
  fetch.Post = Method == TRequestMethod::kPost;
  // Only a body that an entry can be stored under is handed on, and copied.
  const QByteArray key = PostBody.View();
  if (TCacheStore::CanKeepPostData(key))
    fetch.PostData = QByteArray(key.constData(), key.size());
  fetch.BytesReceived = body_count_;
  fetch.ContentLength = response_.ContentLength;
  fetch.Status = status;
  fetch.Location = response_.Location;
  fetch.LastModified = redirect ? kNoDate : response_.LastModified;
  fetch.MimeIndex = redirect ? 0 : response_.MimeIndex;
  return fetch;
}

} // namespace ql
