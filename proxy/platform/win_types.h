#pragma once

#include <cstdint>

// The integer types and message numbers the proxy's message-driven code is written in.
// Sizes follow the 32-bit originals where stored values depend on them; WPARAM and LPARAM
// are wide enough to carry a socket handle, a timer id or a lookup task handle.
namespace ql {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using BOOL = int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using UINT_PTR = std::uintptr_t;

// Task handle of an asynchronous host-name lookup; 0 means none.
using HANDLE = unsigned int;

constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;

constexpr WORD LOWORD(std::uintptr_t value) {
  return static_cast<WORD>(value & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t value) {
  return static_cast<WORD>((value >> 16) & 0xFFFF);
}
constexpr DWORD MAKELONG(WORD low, WORD high) {
  return static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16);
}
constexpr WORD MAKEWORD(BYTE low, BYTE high) {
  return static_cast<WORD>(low | (high << 8));
}

} // namespace ql
