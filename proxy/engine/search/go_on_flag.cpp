#include "proxy/engine/search/go_on_flag.h"

namespace ql {

bool GoOnFlag = true;

} // namespace ql
