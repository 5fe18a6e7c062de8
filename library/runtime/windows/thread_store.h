#pragma once

#include <memory>
#include <typeindex>
#include <unordered_map>

namespace vx {

// Storage private to one thread of the run-time. Each STARTed procedure has its own store,
// which the procedures it calls directly share; code on the main stack uses a store of its
// own. Values are created on first use and live as long as the store.
class ThreadStore {
public:
  template <class T> T &Get() {
    auto &slot = values_[std::type_index(typeid(T))];
    if (!slot)
      slot = std::make_unique<Holder<T>>();
    return static_cast<Holder<T> *>(slot.get())->value;
  }

private:
  struct HolderBase {
    virtual ~HolderBase() = default;
  };
  template <class T> struct Holder : HolderBase { T value{}; };
  std::unordered_map<std::type_index, std::unique_ptr<HolderBase>> values_;
};

// The store of the thread that is running now. The scheduler switches it on every change of
// thread; before any switch it is the main stack's store.
ThreadStore &CurrentThreadStore();
void SetCurrentThreadStore(ThreadStore *store);

template <class T> T &PerThread() {
  return CurrentThreadStore().Get<T>();
}

} // namespace vx
