#include "proxy/platform/socket_table.h"

#include "proxy/platform/message_queue.h"
#include "proxy/platform/socket_poller.h"
#include "proxy/platform/sys_socket.h"
#include "proxy/platform/winsock_test_hooks.h"

#include <algorithm>
#include <climits>
#include <deque>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace ql {
namespace {

// A closed handle and the last message serial when it closed.
struct Cooling {
  SOCKET handle;
  std::uint64_t serial;
};

struct Table {
  std::unordered_map<SOCKET, std::unique_ptr<SocketRecord>> records;
  // Closed handles that are not given again yet, in the order they closed, and as a set.
  std::deque<Cooling> cooling;
  std::unordered_set<SOCKET> coolingHandles;
  SOCKET lastHandle = 0;
  SOCKET highestHandle = INT_MAX;
  std::uint32_t openings = 0;
};

Table &TheTable() {
  static Table table;
  return table;
}

// A closed handle may still be held by whoever closed it, in the handler that is running.
// Its queued notifications went with the close; it is given again once a message posted after
// the close has been taken, that is, once that handler has returned.
void StartCooling(Table &table, SOCKET handle) {
  table.cooling.push_back(Cooling{handle, message_queue::LastSerial()});
  table.coolingHandles.insert(handle);
}

void EndCooling(Table &table) {
  while (!table.cooling.empty() && message_queue::TakenPast(table.cooling.front().serial)) {
    table.coolingHandles.erase(table.cooling.front().handle);
    table.cooling.pop_front();
  }
}

// The handle after the last one given, going round from highestHandle to 1, that is neither
// open nor cooling; INVALID_SOCKET when there is none.
SOCKET NextFreeHandle(Table &table) {
  EndCooling(table);
  // Of taken + 1 handles in a row at most taken are in use, so that many steps find a free one
  // whenever the range has room.
  const std::size_t taken = table.records.size() + table.coolingHandles.size();
  const std::size_t steps = std::min(static_cast<std::size_t>(table.highestHandle), taken + 1);
  for (std::size_t step = 0; step < steps; ++step) {
    table.lastHandle = table.lastHandle >= table.highestHandle ? 1 : table.lastHandle + 1;
    if (!table.records.contains(table.lastHandle) && !table.coolingHandles.contains(table.lastHandle)) {
      return table.lastHandle;
    }
  }
  return INVALID_SOCKET;
}

} // namespace

SocketRecord *AddSocket(int fd) {
  Table &table = TheTable();
  const SOCKET handle = NextFreeHandle(table);
  if (handle == INVALID_SOCKET) {
    return nullptr;
  }
  auto record = std::make_unique<SocketRecord>();
  record->handle = handle;
  record->opening = ++table.openings;
  record->fd = fd;
  SocketRecord *result = record.get();
  table.records.emplace(handle, std::move(record));
  return result;
}

SocketRecord *FindSocket(SOCKET handle) {
  Table &table = TheTable();
  const auto it = table.records.find(handle);
  return it == table.records.end() ? nullptr : it->second.get();
}

std::uint64_t SocketKey(const SocketRecord &record) {
  return (static_cast<std::uint64_t>(record.opening) << 32) | static_cast<std::uint32_t>(record.handle);
}

SocketRecord *FindSocketByKey(std::uint64_t key) {
  SocketRecord *record = FindSocket(static_cast<SOCKET>(key & 0xFFFFFFFFu));
  return record != nullptr && SocketKey(*record) == key ? record : nullptr;
}

void RemoveSocket(SOCKET handle) {
  Table &table = TheTable();
  if (table.records.erase(handle) != 0) {
    // Those that cooled meanwhile leave now rather than at the next opening, which may be long
    // in coming after a flood of closes.
    EndCooling(table);
    StartCooling(table, handle);
  }
}

void CloseAllSockets() {
  Table &table = TheTable();
  for (auto &[handle, record] : table.records) {
    SilenceSocket(*record);
    sys::DiscardInput(record->fd);
    sys::Close(record->fd);
    StartCooling(table, handle);
  }
  table.records.clear();
  StopSocketPoller();
}

void DetachSocketsFromWindow(MessageWindow *window) {
  for (auto &[handle, record] : TheTable().records) {
    if (record->window == window) {
      record->window = nullptr;
      record->msg = 0;
      record->events = 0;
    }
  }
}

void SetSocketHandleLimitForTest(int highest) {
  TheTable().highestHandle = highest >= 1 ? highest : INT_MAX;
}

} // namespace ql
