#include "library/runtime/windows/thread_store.h"

namespace vx {

namespace {

ThreadStore &MainStore() {
  static ThreadStore store;
  return store;
}

ThreadStore *&Current() {
  static ThreadStore *current = nullptr;
  return current;
}

} // namespace

ThreadStore &CurrentThreadStore() {
  return Current() ? *Current() : MainStore();
}

void SetCurrentThreadStore(ThreadStore *store) {
  Current() = store;
}

} // namespace vx
