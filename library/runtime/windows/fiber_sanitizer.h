#pragma once

#include <cstddef>

// GCC announces AddressSanitizer with __SANITIZE_ADDRESS__, Clang (before 15) only through
// __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define VX_FIBER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VX_FIBER_SANITIZER 1
#endif
#endif

#if defined(VX_FIBER_SANITIZER)
#include <sanitizer/common_interface_defs.h>
#endif

namespace vx::fiber_sanitizer {

// Tells AddressSanitizer, when the build uses it, about every switch between the main stack
// and a fiber's stack, so that it checks each against the right stack bounds (exceptions
// thrown on a fiber would otherwise be reported as stack overflows). Without AddressSanitizer
// these do nothing.
//
// StartSwitch goes right before a switch, to the stack [bottom, bottom + size); `fakeStack`
// keeps the leaving stack's state, null when the leaving stack is finished for good.
// FinishSwitch goes right after control arrives, with the `fakeStack` saved when this stack
// was left; it reports the bounds of the stack that was left.
inline void StartSwitch(void **fakeStack, const void *bottom, std::size_t size) {
#if defined(VX_FIBER_SANITIZER)
  __sanitizer_start_switch_fiber(fakeStack, bottom, size);
#else
  (void)fakeStack, (void)bottom, (void)size;
#endif
}

inline void FinishSwitch(void *fakeStack, const void **bottomOld, std::size_t *sizeOld) {
#if defined(VX_FIBER_SANITIZER)
  __sanitizer_finish_switch_fiber(fakeStack, bottomOld, sizeOld);
#else
  (void)fakeStack, (void)bottomOld, (void)sizeOld;
#endif
}

} // namespace vx::fiber_sanitizer
