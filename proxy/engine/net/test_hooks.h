#pragma once

namespace ql {

// Hooks that only tests set, through the environment of the program they start; the settings
// the program reads never set them, and without these variables the program runs as usual:
//   QUENLARK_TEST_TIMER_SCALE   a factor for every timer interval (0.001 runs a 60000 ms
//                               time-out in 60 ms)
//   QUENLARK_TEST_HOSTS_ONLY    "1": host names resolve only from the test hosts, so that no
//                               test reaches the network
//   QUENLARK_TEST_HOSTS         "name=a.b.c.d;name=a.b.c.d": names that resolve to the addresses
//   QUENLARK_TEST_FAIL_LOOKUPS  "name=n;...": the next n lookups of name fail with "host not found"
//   QUENLARK_TEST_HOLD_LOOKUPS  "1": lookups never finish (to test a time-out during a lookup)
//   QUENLARK_TEST_COUNT_CONNECTIONS  "1": each round of the destroy timer logs the number of
//                               connection objects that exist (for the load bench's leak count)
//                               and what syncing the cache's files has cost so far
//   QUENLARK_TEST_TIMER_IDS     n: the connections' timers have ids 1..n only (instead of 32760)
//   QUENLARK_TEST_SOCKET_HANDLES  n: socket handles go round from n back to 1 (instead of INT_MAX)
void ApplyTestHooks();

// Whether QUENLARK_TEST_COUNT_CONNECTIONS was set.
bool CountConnectionsForTest();
// The number of timer ids a network window created from now on hands out; 0 for all of them.
int TimerIdLimitForTest();
void SetTimerIdLimitForTest(int ids);

} // namespace ql
