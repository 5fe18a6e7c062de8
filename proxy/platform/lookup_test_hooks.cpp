#include "proxy/platform/lookup_hooks.h"
#include "proxy/platform/winsock.h"
#include "proxy/platform/winsock_test_hooks.h"

#include <map>

namespace ql {
namespace {

struct ForcedFailure {
  int remaining = 0; // < 0: always
  int error = WSAHOST_NOT_FOUND;
};

struct TestHooks {
  std::map<std::string, std::uint32_t> hosts;
  std::map<std::string, ForcedFailure> failures;
  bool hostsOnly = false;
};

TestHooks &Hooks() {
  static TestHooks hooks;
  return hooks;
}

std::string Lower(std::string text) {
  for (char &c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

// Parses a dotted quad of four decimal parts, each 0..255, into network byte order.
std::optional<std::uint32_t> ParseDottedQuad(const std::string &text) {
  std::uint32_t result = 0;
  int parts = 0;
  std::size_t i = 0;
  while (parts < 4) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') {
      return std::nullopt;
    }
    int value = 0;
    int digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
      value = value * 10 + (text[i] - '0');
      ++i;
      ++digits;
    }
    if (value > 255 || digits > 3) {
      return std::nullopt;
    }
    result = (result << 8) | static_cast<std::uint32_t>(value);
    ++parts;
    if (parts < 4) {
      if (i >= text.size() || text[i] != '.') {
        return std::nullopt;
      }
      ++i;
    }
  }
  if (i != text.size()) {
    return std::nullopt;
  }
  return htonl(result);
}
} // namespace

std::optional<LookupAnswer> TestHookAnswer(const std::string &name) {
  TestHooks &hooks = Hooks();
  const std::string key = Lower(name);
  if (auto it = hooks.failures.find(key); it != hooks.failures.end()) {
    const int error = it->second.error;
    if (it->second.remaining > 0 && --it->second.remaining == 0) {
      hooks.failures.erase(it);
    }
    return LookupAnswer{error, 0};
  }
  if (auto it = hooks.hosts.find(key); it != hooks.hosts.end()) {
    return LookupAnswer{0, it->second};
  }
  if (hooks.hostsOnly && !ParseDottedQuad(name)) {
    return LookupAnswer{WSAHOST_NOT_FOUND, 0};
  }
  return std::nullopt;
}

bool AddTestHost(const std::string &name, const std::string &address) {
  const std::optional<std::uint32_t> parsed = ParseDottedQuad(address);
  if (!parsed) {
    return false;
  }
  Hooks().hosts[Lower(name)] = *parsed;
  return true;
}

void FailTestLookups(const std::string &name, int times, int error) {
  if (times == 0) {
    Hooks().failures.erase(Lower(name));
    return;
  }
  Hooks().failures[Lower(name)] = ForcedFailure{times, error};
}

void SetTestHostsOnly(bool hostsOnly) {
  Hooks().hostsOnly = hostsOnly;
}

void ResetWinsockTestHooks() {
  Hooks() = TestHooks{};
  HoldTestLookups(false);
  SetTrumpetStackForTest(false);
  SetSocketHandleLimitForTest(0);
  SetLookupHandleLimitForTest(0);
}

} // namespace ql
