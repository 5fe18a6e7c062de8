#pragma once

namespace ql {

class TRegIniFile;

// Settings that only end-to-end tests write, in the section "Testing" of the settings store;
// the program never writes them and runs as usual without them:
//   TimerScale  a factor for every timer interval (0.001 runs a 60000 ms time-out in 60 ms)
//   HostsOnly   "1": host names resolve only from Hosts, so that no test reaches the network
//   Hosts       "name=a.b.c.d;name=a.b.c.d": names that resolve to the given addresses
//   FailLookups "name=n;...": the next n lookups of name fail with "host not found"
void ApplyTestSettings(const TRegIniFile &store);

} // namespace ql
