#include "proxy/windows/startup/window_order.h"

#include <cstdio>
#include <exception>

namespace ql {

void TWindowOrder::FreeAll() {
  while (!entries_.empty()) {
    Entry entry = std::move(entries_.back());
    entries_.pop_back();
    try {
      entry.free();
    } catch (const std::exception &e) {
      std::fprintf(stderr, "Freeing %s failed: %s\n", qPrintable(entry.name), e.what());
    } catch (...) {
      std::fprintf(stderr, "Freeing %s failed\n", qPrintable(entry.name));
    }
  }
}

} // namespace ql
