#include "proxy/engine/net/online_mode.h"

#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/network_window.h"

namespace ql {

void SetOffLineMode(bool offLine) {
  OffLineMode = offLine;
  if (Form1 != nullptr)
    Form1->OnLineButton().ShowOnLineState(!offLine, offLine ? kOffLineHint : kOnLineHint);
}

} // namespace ql
