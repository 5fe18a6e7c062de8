#pragma once

#include <cstdint>
#include <string>

// Hooks with which tests steer the Windows Sockets layer; the program never calls them.
// GUI thread only, except that workers read what was set before their lookup started.
namespace ql {

// WSAStartup's description contains "TRUMPET" while this is set (it is not by default).
void SetTrumpetStackForTest(bool trumpet);

// Lookups of `name` (compared without regard to case) resolve to the dotted quad `address`
// without asking the resolver. Returns false when the address is not a dotted quad.
bool AddTestHost(const std::string &name, const std::string &address);
// The next `times` lookups of `name` fail with `error` (11001..11004); times < 0 means always.
void FailTestLookups(const std::string &name, int times, int error);
// When set, names that are neither test hosts nor dotted quads fail with WSAHOST_NOT_FOUND
// instead of reaching the resolver, so that no test depends on DNS.
void SetTestHostsOnly(bool hostsOnly);
// While held, lookup workers wait before resolving (to test cancelling a running lookup).
void HoldTestLookups(bool hold);
// Blocks until no lookup worker is running: every result is on its way to the GUI thread.
void WaitForTestLookupWorkers();
// Socket handles go round from `highest` (INT_MAX when below 1, as by default) back to 1, so
// that a test sees them come round without opening two billion sockets.
void SetSocketHandleLimitForTest(int highest);
// Lookup task handles go round from `highest` (65535 when 0, as by default) back to 1.
void SetLookupHandleLimitForTest(unsigned highest);
// Clears every hook above (the description and the limits too).
void ResetWinsockTestHooks();

} // namespace ql
