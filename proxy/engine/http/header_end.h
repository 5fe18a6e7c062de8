#pragma once

#include <array>

namespace ql {

// The last four bytes of a response header as it streams in, newest first: window[0] is
// the byte just received.
using HeaderEndWindow = std::array<char, 4>;

// Shifts the byte in as the newest.
void ShiftHeaderEndWindow(HeaderEndWindow &window, char byte);

// True when the window holds, in stream order, CR LF CR LF, LF CR LF CR, CR CR or LF LF:
// the blank line that ends a header.
bool IsHeaderEnd(const HeaderEndWindow &window);

} // namespace ql
