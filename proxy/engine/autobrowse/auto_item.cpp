#include "proxy/engine/autobrowse/auto_item.h"

namespace ql {

int AutoFetchesInFlight = 0;

TAutoItem::~TAutoItem() {
  if (AutoFetchesInFlight > 0)
    --AutoFetchesInFlight;
}

} // namespace ql
