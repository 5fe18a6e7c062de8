#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ql {

// The outcome of a host-name lookup: a WSA error (0 for success) and the IPv4 address in
// network byte order.
struct LookupAnswer {
  int error = 0;
  std::uint32_t address = 0;
};

// The answer the test hooks of winsock_test_hooks.h give for a name, decided when the lookup
// starts (a forced failure is used up here); none when the resolver must be asked.
std::optional<LookupAnswer> TestHookAnswer(const std::string &name);

} // namespace ql
