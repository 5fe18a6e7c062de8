#pragma once

#include "proxy/engine/net/engine_settings.h"
#include "proxy/engine/net/pipe_list.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace ql {

class TClientPipe;
class TServerPipe;
class TPipe;
class TListener;

// The engine's process-wide state. Everything runs on the GUI thread; nothing is locked.
// The network window resets it when it is created and empties the lists when it is
// destroyed. The lists own their connections: a connection that closes moves itself from
// ClientPipeList or ServerPipeList to FreePipeList, from where the network window's destroy
// timer destroys it. LookupList only refers to connections that ServerPipeList owns. The
// two live lists find a connection by its socket handle (TPipeList::Find).

extern TPipeList<TClientPipe> ClientPipeList;
extern TPipeList<TServerPipe> ServerPipeList;
extern std::vector<std::unique_ptr<TPipe>> FreePipeList;
extern std::vector<TServerPipe *> LookupList;
extern std::vector<std::unique_ptr<TListener>> ListenerList;
// The one listener, for the Setup dialog's port change; owned by ListenerList.
extern TListener *Listener;

// Requests are answered from the cache only.
extern bool OffLineMode;
// A download file could not be written; nothing more is spooled to disk.
extern bool DiskFull;
// The socket stack needs a delayed retry of a send that would block.
extern bool TrumpetStack;
extern bool UseUpstreamProxy;
extern QByteArray UpstreamProxyHost;
extern bool NewsDue;
extern std::int32_t DefaultItemSizeLimit;
extern bool AutoBrowseAtStart;
// The data directory and the TEMP directory below it, each ending in a separator, in the
// program's path form (see paths.h).
extern QString DataDirectory;
extern QString TempDirectory;
// The settings read at start.
extern TEngineSettings EngineSettings;

// Clears the state to what the program has before the network window exists.
void ResetEngineState();

// List moves of a connection that closes: out of its live list (when still there) onto
// FreePipeList. The connection object stays where it is.
void RetireClientPipe(TClientPipe *pipe);
void RetireServerPipe(TServerPipe *pipe);

} // namespace ql
