#include "proxy/engine/http/header_end.h"

namespace ql {

void ShiftHeaderEndWindow(HeaderEndWindow &window, char byte) {
  window[3] = window[2];
  window[2] = window[1];
  window[1] = window[0];
  window[0] = byte;
}

bool IsHeaderEnd(const HeaderEndWindow &window) {
  // In stream order the bytes are window[3], window[2], window[1], window[0].
  const char cr = '\r', lf = '\n';
  if (window[3] == cr && window[2] == lf && window[1] == cr && window[0] == lf)
    return true;
  if (window[3] == lf && window[2] == cr && window[1] == lf && window[0] == cr)
    return true;
  for (int i = 0; i < 3; ++i) {
    if ((window[i] == cr || window[i] == lf) && window[i + 1] == window[i])
      return true;
  }
  return false;
}

} // namespace ql
