#pragma once

#include "proxy/engine/cache/download_file.h"
#include "proxy/engine/http/request_body.h"
#include "proxy/engine/http/request_header.h"
#include "proxy/engine/http/response_reader.h"
#include "proxy/engine/net/dns_cache.h"
#include "proxy/engine/net/fetch_receiver.h"
#include "proxy/engine/net/own_endpoints.h"
#include "proxy/engine/net/server_pipe.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>

namespace ql {

class TFailedFetchPages;
class TProxyCache;
struct TFetchResult;

// The origin-side connection: fetches one object for one browser request from the origin, or
// through the upstream proxy. It resolves the host (dotted quad, host-name cache, then an
// asynchronous lookup tried three times), connects, sends the request text, relays the answer
// to the browser-side connection as it arrives, spools the body to a download file in the TEMP
// directory, and when it closes hands the download to the cache store.
//
// Only an answer known to be whole is stored (AnswerComplete); the browser gets whatever came, but
// never more than a declared Content-Length: an origin that sends more is cut off there. An answer
// that cannot be read as HTTP (no proper status line, two Content-Lengths that differ, a header
// that does not end within TResponseReader::kMaxHeader bytes) is neither relayed nor stored: the
// browser gets the "502 Bad Gateway" page of FailurePages. The answer to a HEAD, a 204 and a 304
// end at their header: no byte after it is relayed or stored, and the answer to a HEAD is never
// stored. A connection that cannot be made (no socket, a connect refused or failing) answers the
// browser at once with the "503 TimeOut" answer that a silent origin gets at its time-out; a host
// name that cannot be looked up, and an origin that closes without an answer, get the browser the
// pages of FailurePages ("DNS not found", "502 Bad Gateway").
//
// A fetch for Autobrowse has no browser side: it owns its Receiver and tells it the body bytes
// as they come, and the answer when it closes. A body over the receiver's item size limit aborts
// it. The receiver is freed when the connection closes.
//
// The POST body is held once: it joins the send queue a block at a time behind the request text
// (a small body in the request's own block), and once all of it is queued only a body that a cache
// entry can be keyed by stays.
//
// A download file is a spare file of the cache's recycler, or has no name where the file
// system allows (TDownloadFile); elsewhere it is named "ts" + a number unique for the run +
// ".adr", so a connection that is destroyed late never deletes a newer connection's download. The
// connection keeps the ID of the cache entry the request matched, never a pointer, and looks it up
// again when a 304 arrives. Owned by ServerPipeList, then FreePipeList; the cache is not owned.
class TOriginPipe : public TServerPipe {
public:
  explicit TOriginPipe(TProxyCache &cache);
  ~TOriginPipe() override;

  // Filled in by the router before InitiateConnection.
  QByteArray Host;
  int Port = -1;
  QByteArray Path;
  QByteArray RequestText;
  TRequestBody PostBody;
  // A POST's answer is stored only under its POST data; a HEAD's never.
  TRequestMethod Method = TRequestMethod::kGet;
  bool Spool = false;
  int32_t CacheId = 0; // the entry the browser's request matched, 0 for none
  // Set by the router for a browser's fetch; not owned, it must outlive the connection.
  TFailedFetchPages *FailurePages = nullptr;
  // Set by the Autobrowse session for its fetches.
  std::unique_ptr<TFetchReceiver> Receiver;

  // Resolves the name and connects.
  void InitiateConnection();

  bool RequestSent() const override { return request_sent_; }
  void SendRequest() override;
  int SendData() override;
  int RecvData() override;
  void Connected(int errorCode) override;
  void AbortConnection() override;
  void LookupDone(int errorCode) override;
  void CloseSock() override;

  const QString &DownloadPath() const { return download_path_; }

private:
  void DNSLookup(const QByteArray &name);
  void ConnectToRemote();
  bool OpenDownload();
  void WriteDownload(const char *bytes, qsizetype n);
  void DropDownload();
  void RelayToBrowser(const char *bytes, qsizetype n);
  void CountBody(qsizetype n);
  // The largest body stored: the receiver's item size limit when it has one.
  int64_t ItemSizeLimit() const;
  bool Aborted() const { return Receiver && Receiver->Aborted(); }
  void ProcessResponse();
  // The answer cannot be read as HTTP: nothing of it goes on, and the connection ends.
  void RefuseAnswer();
  // Tops the send queue up to a block with the next bytes of the POST body.
  void QueueBodyBlock();
  // The whole POST body is queued: the CR LF after it follows.
  void BodyQueued();
  bool AnswerNotModifiedFromCache();
  // True when the answer is known whole: a status line and header that parse, no
  // Transfer-Encoding, and a body of exactly the declared length (no byte more) or, without
  // one, an origin that ended the connection in order.
  bool AnswerComplete() const;
  void FetchDone();
  // The answer as the cache store takes it, with the download file.
  TFetchResult FetchResult();
  void FinishBrowser();

  TProxyCache &cache_;
  QByteArray lookup_name_;
  alignas(8) std::array<char, 1024> lookup_result_{};
  TIPv4Address address_{};
  // The key of this connection among the engine's own endpoints.
  TOwnEndpoints::Key ownEndpoint_{};
  int lookup_tries_ = 0;
  bool request_sent_ = false;
  bool closed_ = false;
  bool header_relayed_ = false;
  bool header_parsed_ = false;
  bool relayed_ = false;        // the browser has been sent bytes of the answer
  bool overran_ = false;        // the origin sent more than its declared length
  bool refused_ = false;        // the answer cannot be read as HTTP
  bool bodyless_ = false;       // the answer ends at its header
  std::size_t body_queued_ = 0; // bytes of PostBody that have joined the send queue
  TResponseReader reader_;
  TResponseFacts response_;
  int64_t body_count_ = 0;
  QString download_path_;
  TDownloadFile download_;
};

} // namespace ql
