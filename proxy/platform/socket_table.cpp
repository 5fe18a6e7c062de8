#include "proxy/platform/socket_table.h"

#include "proxy/platform/socket_poller.h"
#include "proxy/platform/sys_socket.h"

#include <climits>
#include <memory>
#include <unordered_map>

namespace ql {
namespace {

struct Table {
  std::unordered_map<SOCKET, std::unique_ptr<SocketRecord>> records;
  SOCKET lastHandle = 0;
};

Table &TheTable() {
  static Table table;
  return table;
}

} // namespace

SocketRecord *AddSocket(int fd) {
  Table &table = TheTable();
  if (table.lastHandle == INT_MAX) {
    return nullptr;
  }
  auto record = std::make_unique<SocketRecord>();
  record->handle = ++table.lastHandle;
  record->fd = fd;
  SocketRecord *result = record.get();
  table.records.emplace(result->handle, std::move(record));
  return result;
}

SocketRecord *FindSocket(SOCKET handle) {
  Table &table = TheTable();
  const auto it = table.records.find(handle);
  return it == table.records.end() ? nullptr : it->second.get();
}

void RemoveSocket(SOCKET handle) {
  TheTable().records.erase(handle);
}

void CloseAllSockets() {
  Table &table = TheTable();
  for (auto &[handle, record] : table.records) {
    SilenceSocket(*record);
    sys::DiscardInput(record->fd);
    sys::Close(record->fd);
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

} // namespace ql
