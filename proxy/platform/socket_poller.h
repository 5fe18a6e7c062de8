#pragma once

namespace ql {

struct SocketRecord;

// The readiness of every registered socket comes from one epoll set, and the event loop watches
// only that set's descriptor: a turn of the loop costs in proportion to the sockets that became
// ready, not to those that are open.
//
// The set is edge-triggered. Each report updates the record's readiness (readReady, writeReady,
// peerShut) and evaluates it, which posts what is due. The calls of the layer keep the readiness
// up to date between reports: a read or send that finds nothing clears it. A pass takes the
// reports, evaluates the sockets that asked for it (RecheckSocket), then dispatches the messages
// this posted, and goes round again a few times while there is work, all in one turn of the event
// loop. GUI thread only.

// Adds the socket's descriptor to the set once (the record stays watched until it is closed;
// closing the descriptor leaves the set). A socket that was neither just accepted nor connected
// by this layer has its readiness looked at once now. False when the set cannot take it (the
// system's limit of watched descriptors).
bool WatchSocket(SocketRecord &record);

// Evaluates the socket again in the current pass, or in a pass soon after the current handler:
// a read that may have left data behind asks for this, as no new report comes for data that is
// already there.
void RecheckSocket(SocketRecord &record);

// Closes the set (the last WSACleanup, once no socket is open).
void StopSocketPoller();

} // namespace ql
