#include "proxy/engine/http/request_check.h"

namespace ql {

bool HasLoneLineBreak(std::string_view header) {
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (header[i] == '\n' && (i == 0 || header[i - 1] != '\r'))
      return true;
    if (header[i] == '\r' && (i + 1 == header.size() || header[i + 1] != '\n'))
      return true;
  }
  return false;
}

} // namespace ql
