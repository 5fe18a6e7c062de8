#pragma once

#include <vector>

namespace ql {

// Shares out a width among columns in proportion to their present widths, none narrower than
// its floor (the width that shows its heading whole): the columns that would fall below their
// floors keep them and the others share what is left, in whole pixels that add up to the width
// exactly. When the floors alone take more than the width, every column gets its floor.
// widths and floors have one entry per column.
std::vector<int> ShareWidth(const std::vector<int> &widths, const std::vector<int> &floors, int width);

} // namespace ql
