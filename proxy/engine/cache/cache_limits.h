#pragma once

#include <cstdint>

namespace ql {

// The cache's size limits where the settings name none: the space the bodies take all
// together, and the largest body the browser's downloads store.
inline constexpr int32_t kDefaultMaxCacheSize = 5242880;
inline constexpr int32_t kDefaultMaxCacheItemSize = 204800;

} // namespace ql
