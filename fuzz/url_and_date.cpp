// Feeds arbitrary bytes to the engine's request-line, URL and date parsers.
#include "proxy/engine/http/http_date.h"
#include "proxy/engine/http/request_line.h"
#include "proxy/engine/http/text_routines.h"
#include "proxy/engine/http/url_parts.h"
#include "proxy/engine/http/url_split.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  ql::FormatHttpDate(ql::ParseHttpDate(input));
  ql::ParseFilterDate(input, 46000.0);
  ql::NormalizeUrl(input);

  QByteArray line = input;
  QByteArray host;
  ql::UrlExtractHost(line, host);
  ql::UrlExtractPort(line);
  ql::UrlExtractPath(line);

  QByteArray text = ql::ShortText(input);
  ql::UrlSplitHost(text, host);
  ql::UrlSplitPort(text);
  ql::UrlSplitPath(text);

  ql::ParseDottedQuad(input);
  ql::SafeFileName(ql::ShortText(input));
  ql::UrlDirectory(ql::StripQuery(input));
  return 0;
}
