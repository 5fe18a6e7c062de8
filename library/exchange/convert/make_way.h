#pragma once

#include "library/core/dictionary.h"

namespace vx {

// Makes way for a conversion into `file`, which must be closed: when the file is there and
// holds records, or cannot be opened to tell, it is renamed to the first free name of
// <name>.BAK, <name>.B01 ... <name>.B99 beside it and the user is told where it went; then
// a new empty file is created. Nothing that held data is ever emptied. False after a
// message when the file is open or cannot be kept aside; a failed create ends the program
// with message 4.
bool MakeWayForConversion(DataFile &file);

} // namespace vx
