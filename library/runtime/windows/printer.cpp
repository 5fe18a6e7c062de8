#include "library/runtime/windows/printer.h"

#include <QPrinter>

namespace vx {

QPrinter &SharedPrinter() {
  static QPrinter printer;
  return printer;
}

} // namespace vx
