#include "proxy/engine/autobrowse/outbasket_mark.h"

namespace ql {

bool OutbasketStale = false;

} // namespace ql
