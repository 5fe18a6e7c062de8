#pragma once

#include <string_view>

namespace ql {

// True when the header holds a line feed without a carriage return before it, or a carriage
// return without a line feed after it. Such a break inside the request line or a field would
// be carried into the forwarded request or a Location header as a line of its own, so the
// request is refused with the "400 Invalid request" answer.
bool HasLoneLineBreak(std::string_view header);

} // namespace ql
