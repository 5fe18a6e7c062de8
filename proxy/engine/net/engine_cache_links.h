#pragma once

#include "proxy/engine/cache/proxy_cache.h"

namespace ql {

// The cache's links to the engine: its settings are the engine's (the data directory and the
// size limits the network window read at start), its problems go to the network window's log,
// and a full disk posts the disk-full notice to the window once.
TCacheLinks EngineCacheLinks();

} // namespace ql
