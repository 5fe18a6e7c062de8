#include "library/runtime/data/transaction.h"

#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_internal.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/thread_store.h"

#include <algorithm>
#include <vector>

namespace vx {

namespace {

struct TransactionState {
  bool active = false;
  ThreadStore *owner = nullptr;
  KeyedFile *firstFile = nullptr; // named in errors of COMMIT
};

TransactionState &Current() {
  static TransactionState state;
  return state;
}

// The run-time threads waiting for the transaction to end.
std::vector<int> &Waiting() {
  static std::vector<int> threads;
  return threads;
}

void End() {
  Current() = TransactionState{};
  keyed_db::DetachPending();
  for (int thread : Waiting())
    scheduler::Wake(thread);
}

} // namespace

namespace keyed_db {

bool TransactionActive() {
  return Current().active;
}

ThreadStore *TransactionOwner() {
  return Current().owner;
}

void WaitForTransactionEnd() {
  // The thread is listed while it waits, also when it is ended while waiting.
  struct Listed {
    int thread = scheduler::CurrentThread();
    Listed() { Waiting().push_back(thread); }
    ~Listed() { Waiting().erase(std::find(Waiting().begin(), Waiting().end(), thread)); }
  } listed;
  scheduler::WaitUntil([] { return !TransactionActive(); });
}

} // namespace keyed_db

void LOGOUT(int timeoutSeconds, std::span<KeyedFile *const> files) {
  ClearError();
  TransactionState &t = Current();
  KeyedFile *first = files.empty() ? nullptr : files.front();
  if (t.active) {
    SetError(56, first ? first->name() : QString());
    return;
  }
  for (KeyedFile *file : files) {
    if (!file->isOpen()) {
      SetError(37, file->name());
      return;
    }
  }
  keyed_db::SetBusyTimeout(timeoutSeconds * 1000);
  const int rc = keyed_db::Exec(QStringLiteral("BEGIN IMMEDIATE"));
  keyed_db::SetBusyTimeout(0);
  if (rc != SQLITE_OK) {
    if (first)
      SetSqlError(*first, rc);
    else
      SetError(90, {}, rc, QString::fromUtf8(sqlite3_errstr(rc)));
    return;
  }
  t.active = true;
  t.owner = &CurrentThreadStore();
  t.firstFile = first;
}

void COMMIT() {
  ClearError();
  TransactionState &t = Current();
  if (!t.active || t.owner != &CurrentThreadStore())
    return;
  const int rc = keyed_db::Exec(QStringLiteral("COMMIT"));
  if (rc != SQLITE_OK) {
    if (t.firstFile)
      SetSqlError(*t.firstFile, rc);
    else
      SetError(90, {}, rc, QString::fromUtf8(sqlite3_errstr(rc)));
    return;
  }
  End();
}

void ROLLBACK() {
  TransactionState &t = Current();
  if (!t.active || t.owner != &CurrentThreadStore())
    return;
  keyed_db::Exec(QStringLiteral("ROLLBACK"));
  keyed_db::BumpWriteGeneration();
  End();
}

bool InTransaction() {
  return Current().active && Current().owner == &CurrentThreadStore();
}

} // namespace vx
