// Feeds arbitrary bytes to the reading of an origin's response (split into header and body,
// header fields, MIME types) and to the request checks and page texts that take request input.
#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/html/html_escape.h"
#include "proxy/engine/http/request_check.h"
#include "proxy/engine/http/response_reader.h"
#include "proxy/engine/pages/proxy_pages.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const char *bytes = reinterpret_cast<const char *>(data);
  const QByteArray input(bytes, static_cast<qsizetype>(size));
  ql::TMimeTable mimes; // no data directory: nothing is learned on disk

  ql::TResponseReader reader;
  const qsizetype half = input.size() / 2;
  ql::TResponseReader::TStep step = reader.Feed(bytes, half);
  if (!step.headerEnded)
    step = reader.Feed(bytes + half, input.size() - half);
  if (step.headerEnded && !step.noHeader)
    ql::ParseResponseHeader(reader.HeaderText(), mimes);
  const ql::TResponseFacts response = ql::ParseResponseHeader(input, mimes);
  if (response.StatusLine && (response.Status < 100 || response.Status > 999))
    __builtin_trap(); // a status is three digits
  mimes.MimeTypeIndex(input.left(300));

  ql::HasLoneLineBreak(std::string_view(bytes, size));
  ql::TNotInCacheFacts facts;
  facts.Host = input.left(64);
  facts.Path = input;
  facts.Referrer = input;
  facts.Suggestions.push_back({ql::TSuggestion::kRedirected, input, input});
  const QByteArray page = ql::NotInCachePage(facts);
  if (page.contains("<script"))
    __builtin_trap(); // request text must never reach the page unescaped
  ql::HtmlEscapeAttribute(input);
  return 0;
}
