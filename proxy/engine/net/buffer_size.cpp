#include "proxy/engine/net/buffer_size.h"

namespace ql {

int SetSocketBufferSize(const std::function<int(int size)> &setOption, int size) {
  constexpr int kSmallest = 588;
  while (setOption(size) != 0 && size > kSmallest)
    size /= 2;
  return size;
}

} // namespace ql
