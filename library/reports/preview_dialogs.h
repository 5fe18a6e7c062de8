#pragma once

namespace vx {

// The report preview's two dialogs, modal on the preview's thread.

// "Jump to a Report Page": a page spin from 1 to `total`, set to `current`. Returns the
// spin's value after OK, `current` after Cancel or the close box. A typed page past a
// bound is replaced by that bound.
int PreviewJumpToPage(int current, int total);

// "Change the Report Display": two spins from 1 to 10 that edit `across` and `down` in
// place; OK closes it.
void PreviewSelectDisplay(int &across, int &down);

} // namespace vx
