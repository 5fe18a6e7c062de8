#include "proxy/platform/host_lookup.h"

#include "proxy/platform/lookup_hooks.h"
#include "proxy/platform/message_queue.h"
#include "proxy/platform/sys_socket.h"
#include "proxy/platform/winsock.h"
#include "proxy/platform/winsock_state.h"
#include "proxy/platform/winsock_test_hooks.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>

namespace ql {
namespace {

// A lookup between its start and its delivery (or cancellation).
struct PendingLookup {
  MessageWindow *window = nullptr;
  UINT msg = 0;
  char *buffer = nullptr;
  int bufferLength = 0;
  std::string name;
  // Counts the lookups of the run: the worker of a cancelled lookup whose handle was given to a
  // later one delivers to nothing.
  std::uint64_t serial = 0;
};

// State shared with the worker threads. It is never freed, so that a worker that outlives
// the application still finds it.
struct WorkerShared {
  std::mutex mutex;
  std::condition_variable changed;
  QObject *receiver = nullptr; // the GUI-thread object results are delivered to
  int running = 0;
  bool hold = false;
};

WorkerShared &Shared() {
  static WorkerShared *shared = new WorkerShared;
  return *shared;
}

std::unordered_map<HANDLE, PendingLookup> &Live() {
  static std::unordered_map<HANDLE, PendingLookup> live;
  return live;
}

HANDLE g_lastHandle = 0;
constexpr HANDLE kMaxHandle = 0xFFFF;
HANDLE g_highestHandle = kMaxHandle;
std::uint64_t g_lastSerial = 0;

int ErrorFromStatus(sys::ResolveStatus status) {
  switch (status) {
  case sys::ResolveStatus::Ok:
    return 0;
  case sys::ResolveStatus::NotFound:
    return WSAHOST_NOT_FOUND;
  case sys::ResolveStatus::TryAgain:
    return WSATRY_AGAIN;
  case sys::ResolveStatus::NoData:
    return WSANO_DATA;
  case sys::ResolveStatus::NoRecovery:
    return WSANO_RECOVERY;
  }
  return WSANO_RECOVERY;
}

void Deliver(HANDLE handle, std::uint64_t serial, LookupAnswer result);

// Lives on the GUI thread as a child of the application; workers deliver through it.
class LookupReceiver : public QObject {
public:
  LookupReceiver() : QObject(QCoreApplication::instance()) {}
  ~LookupReceiver() override {
    std::lock_guard lock(Shared().mutex);
    Shared().receiver = nullptr;
  }
};

void EnsureReceiver() {
  static QPointer<LookupReceiver> receiver;
  if (receiver.isNull()) {
    receiver = new LookupReceiver();
    std::lock_guard lock(Shared().mutex);
    Shared().receiver = receiver.data();
  }
}

void RunWorker(HANDLE handle, std::uint64_t serial, std::string name, std::optional<LookupAnswer> preset) {
  WorkerShared &shared = Shared();
  {
    std::unique_lock lock(shared.mutex);
    shared.changed.wait(lock, [&shared] { return !shared.hold; });
  }
  LookupAnswer result;
  if (preset) {
    result = *preset;
  } else {
    result.error = ErrorFromStatus(sys::ResolveIPv4(name, &result.address));
  }
  std::lock_guard lock(shared.mutex);
  if (shared.receiver != nullptr) {
    QMetaObject::invokeMethod(
        shared.receiver,
        [handle, serial, result] {
          RunGuarded("Host-name lookup delivery", [&] { Deliver(handle, serial, result); });
        },
        Qt::QueuedConnection);
  }
  --shared.running;
  shared.changed.notify_all();
}

// Writes the host entry into the caller's block: the hostent, the address list (first
// address and a null), an empty alias list, the address and the name. Returns the length
// used, or the length needed when the block is too small (then nothing is written).
int WriteHostEntry(const PendingLookup &lookup, std::uint32_t address, bool *fits) {
  const std::size_t pointerSize = sizeof(char *);
  const std::size_t addressListAt = sizeof(hostent);
  const std::size_t aliasesAt = addressListAt + 2 * pointerSize;
  const std::size_t addressAt = aliasesAt + pointerSize;
  const std::size_t nameAt = addressAt + sizeof address;
  const std::size_t needed = nameAt + lookup.name.size() + 1;
  *fits = needed <= static_cast<std::size_t>(lookup.bufferLength);
  if (!*fits) {
    return static_cast<int>(needed);
  }
  char *block = lookup.buffer;
  std::memcpy(block + addressAt, &address, sizeof address);
  std::memcpy(block + nameAt, lookup.name.c_str(), lookup.name.size() + 1);
  char *addressList[2] = {block + addressAt, nullptr};
  std::memcpy(block + addressListAt, addressList, sizeof addressList);
  char *aliases[1] = {nullptr};
  std::memcpy(block + aliasesAt, aliases, sizeof aliases);
  hostent entry;
  entry.h_name = block + nameAt;
  entry.h_aliases = reinterpret_cast<char **>(block + aliasesAt);
  entry.h_addrtype = AF_INET;
  entry.h_length = sizeof address;
  entry.h_addr_list = reinterpret_cast<char **>(block + addressListAt);
  std::memcpy(block, &entry, sizeof entry);
  return static_cast<int>(needed);
}

void Deliver(HANDLE handle, std::uint64_t serial, LookupAnswer result) {
  auto it = Live().find(handle);
  if (it == Live().end() || it->second.serial != serial) {
    return; // cancelled
  }
  const PendingLookup lookup = std::move(it->second);
  Live().erase(it);
  int length = 0;
  int error = result.error;
  if (error == 0) {
    bool fits = false;
    length = WriteHostEntry(lookup, result.address, &fits);
    if (!fits) {
      error = WSAENOBUFS;
    }
  }
  QueuedMessage message;
  message.window = lookup.window;
  message.msg = lookup.msg;
  message.wParam = handle;
  message.lParam = static_cast<LPARAM>(MAKELONG(static_cast<WORD>(length), static_cast<WORD>(error)));
  message.source = MessageSource::Lookup;
  message.sourceId = handle;
  message_queue::Post(std::move(message));
}

HANDLE NextFreeHandle() {
  for (HANDLE tries = 0; tries < g_highestHandle; ++tries) {
    g_lastHandle = g_lastHandle >= g_highestHandle ? 1 : g_lastHandle + 1;
    if (!Live().contains(g_lastHandle)) {
      return g_lastHandle;
    }
  }
  return 0;
}

HANDLE FailLookup(int error) {
  WSASetLastError(error);
  return 0;
}

} // namespace

HANDLE WSAAsyncGetHostByName(MessageWindow *window, UINT msg, const char *name, char *buffer,
                             int bufferLength) {
  if (!WinsockStarted()) {
    return FailLookup(WSANOTINITIALISED);
  }
  if (window == nullptr) {
    return FailLookup(WSAEINVAL);
  }
  if (name == nullptr || buffer == nullptr || bufferLength <= 0 ||
      reinterpret_cast<std::uintptr_t>(buffer) % alignof(hostent) != 0) {
    return FailLookup(WSAEFAULT);
  }
  const HANDLE handle = NextFreeHandle();
  if (handle == 0) {
    return FailLookup(WSAENOBUFS);
  }
  EnsureReceiver();
  std::string text(name);
  std::optional<LookupAnswer> preset = TestHookAnswer(text);
  const std::uint64_t serial = ++g_lastSerial;
  Live().emplace(handle, PendingLookup{window, msg, buffer, bufferLength, text, serial});
  WorkerShared &shared = Shared();
  {
    std::lock_guard lock(shared.mutex);
    ++shared.running;
  }
  try {
    std::thread(RunWorker, handle, serial, std::move(text), preset).detach();
  } catch (const std::system_error &) {
    {
      std::lock_guard lock(shared.mutex);
      --shared.running;
    }
    Live().erase(handle);
    return FailLookup(WSAENOBUFS);
  }
  return handle;
}

int WSACancelAsyncRequest(HANDLE asyncTaskHandle) {
  if (Live().erase(asyncTaskHandle) == 0) {
    WSASetLastError(WSAEINVAL);
    return SOCKET_ERROR;
  }
  return 0;
}

void CancelLookupsForWindow(MessageWindow *window) {
  std::erase_if(Live(), [window](const auto &entry) { return entry.second.window == window; });
}

void CancelAllLookups() {
  Live().clear();
}

void SetLookupHandleLimitForTest(unsigned highest) {
  g_highestHandle = highest >= 1 && highest <= kMaxHandle ? highest : kMaxHandle;
}

void HoldTestLookups(bool hold) {
  WorkerShared &shared = Shared();
  std::lock_guard lock(shared.mutex);
  shared.hold = hold;
  shared.changed.notify_all();
}

void WaitForTestLookupWorkers() {
  WorkerShared &shared = Shared();
  std::unique_lock lock(shared.mutex);
  shared.changed.wait(lock, [&shared] { return shared.running == 0; });
}

} // namespace ql
