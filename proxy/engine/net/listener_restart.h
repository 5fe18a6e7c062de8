#pragma once

namespace ql {

// Moves the proxy's listener (Listener) to port and the loopback choice, for a change made in
// Setup, and answers whether it now listens there. Browsers never lose the proxy over a
// failed change: on another port the new socket listens before the old one is closed, and on
// the same port (only the loopback choice changed) the old one is closed first and, when the
// new one cannot listen, opened again as it was. A failure is shown by the listener itself,
// with the socket layer's error code (10048 for a port in use, 10022 for one outside
// 1..65535). On success EngineSettings.HTTPProxyPort and UseLoopback take the new values.
// Needs the network window (Form1). GUI thread only.
bool RestartListener(int port, bool loopback);

} // namespace ql
