#include "library/runtime/windows/scheduler.h"

#include "library/runtime/windows/fiber_sanitizer.h"
#include "library/runtime/windows/thread_store.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <boost/context/fiber.hpp>
#include <boost/context/protected_fixedsize_stack.hpp>
#include <map>
#include <memory>

namespace vx {
namespace scheduler {

namespace {

namespace ctx = boost::context;

// Every fiber gets this stack, whatever the procedure asked for: the sizes the procedures
// name were chosen for a different machine and are far too small for Qt's call depths.
constexpr std::size_t kStackBytes = 1 << 20;

struct RunThread {
  int id = 0;
  ThreadStore store;
  Procedure body;
  ctx::fiber fiber;  // the thread's own context while it is suspended
  ctx::fiber caller; // the main stack's context while the thread runs
  bool running = false;
  bool ended = false;
  bool wakeQueued = false;
  bool unwinding = false; // the thread is to end: its next return from a wait throws
  std::vector<Window *> windows;
  const void *stackBottom = nullptr;
  std::size_t stackSize = 0;
  void *fakeStack = nullptr; // the sanitizer's state of this stack while it is left
};

// Thrown inside a thread that is being ended from outside; unwinds its stack to the base.
struct ThreadUnwind {};

// Allocates a fiber's stack with a guard page and notes its bounds for the sanitizer.
class RecordingStack {
public:
  explicit RecordingStack(RunThread *thread) : inner_(kStackBytes), thread_(thread) {}
  ctx::stack_context allocate() {
    ctx::stack_context context = inner_.allocate();
    thread_->stackBottom = static_cast<char *>(context.sp) - context.size;
    thread_->stackSize = context.size;
    return context;
  }
  void deallocate(ctx::stack_context &context) noexcept { inner_.deallocate(context); }

private:
  ctx::protected_fixedsize_stack inner_;
  RunThread *thread_;
};

struct MainWaiter {
  const std::function<bool()> *ready;
  QEventLoop *loop;
};

struct State {
  std::map<int, std::unique_ptr<RunThread>> threads; // live threads only
  int nextId = 1;
  RunThread *current = nullptr;
  std::exception_ptr escaped;
  std::vector<Window *> mainWindows;
  std::vector<MainWaiter> mainWaiters;
  bool checkQueued = false;
  const void *mainBottom = nullptr; // the main stack, as the sanitizer reports it
  std::size_t mainSize = 0;
};

State &S() {
  static State state;
  return state;
}

QObject *Context() {
  static QObject *context = new QObject(QCoreApplication::instance());
  return context;
}

RunThread *Find(int id) {
  auto it = S().threads.find(id);
  return it == S().threads.end() ? nullptr : it->second.get();
}

void MakeCurrent(RunThread *t) {
  S().current = t;
  SetCurrentThreadStore(t ? &t->store : nullptr);
}

// Quits the main-stack loops whose condition now holds.
void CheckMainWaiters() {
  for (const MainWaiter &w : S().mainWaiters) {
    if (S().escaped || (*w.ready)())
      w.loop->quit();
  }
}

void QueueCheckMainWaiters() {
  if (S().checkQueued || S().mainWaiters.empty())
    return;
  S().checkQueued = true;
  QMetaObject::invokeMethod(
      Context(),
      [] {
        S().checkQueued = false;
        CheckMainWaiters();
      },
      Qt::QueuedConnection);
}

// Runs `t` from the main stack until it next suspends or ends.
void Resume(RunThread *t) {
  t->running = true;
  MakeCurrent(t);
  void *fakeStack = nullptr;
  fiber_sanitizer::StartSwitch(&fakeStack, t->stackBottom, t->stackSize);
  t->fiber = std::move(t->fiber).resume();
  fiber_sanitizer::FinishSwitch(fakeStack, nullptr, nullptr);
  MakeCurrent(nullptr);
  t->running = false;
  if (t->ended) {
    S().threads.erase(t->id);
    // Threads may wait for others to end (the frame does as it closes).
    for (const auto &entry : S().threads)
      Wake(entry.first);
  }
  CheckMainWaiters();
}

void Arrived(RunThread *t) {
  fiber_sanitizer::FinishSwitch(t->fakeStack, &S().mainBottom, &S().mainSize);
}

void Suspend() {
  RunThread *t = S().current;
  if (t->unwinding && std::uncaught_exceptions() > 0)
    return; // a destructor that waits while the stack unwinds: no switch, no second throw
  fiber_sanitizer::StartSwitch(&t->fakeStack, S().mainBottom, S().mainSize);
  t->caller = std::move(t->caller).resume();
  Arrived(t);
  if (t->unwinding)
    throw ThreadUnwind{};
}

ctx::fiber MakeFiber(RunThread *t) {
  return ctx::fiber(std::allocator_arg, RecordingStack(t), [t](ctx::fiber &&caller) {
    Arrived(t);
    t->caller = std::move(caller);
    if (!t->unwinding) {
      try {
        t->body();
      } catch (const ThreadUnwind &) {
      } catch (...) {
        if (!S().escaped)
          S().escaped = std::current_exception();
      }
    }
    t->ended = true;
    fiber_sanitizer::StartSwitch(nullptr, S().mainBottom, S().mainSize); // this stack is done
    return std::move(t->caller);
  });
}

void RethrowEscaped() {
  if (!S().escaped)
    return;
  UnwindAll();
  std::rethrow_exception(std::exchange(S().escaped, nullptr));
}

} // namespace

int Start(Procedure procedure, int /*stackBytes*/) {
  auto t = std::make_unique<RunThread>();
  t->id = S().nextId++;
  t->body = std::move(procedure);
  t->fiber = MakeFiber(t.get());
  const int id = t->id;
  S().threads.emplace(id, std::move(t));
  Wake(id);
  return id;
}

int CurrentThread() {
  return S().current ? S().current->id : 0;
}

bool IsAlive(int thread) {
  return Find(thread) != nullptr;
}

std::vector<int> LiveThreads() {
  std::vector<int> ids;
  for (const auto &entry : S().threads)
    ids.push_back(entry.first);
  return ids;
}

void WaitUntil(const std::function<bool()> &ready) {
  if (S().current) {
    while (!ready())
      Suspend();
    return;
  }
  RunUntil(ready);
}

void Wake(int thread) {
  if (thread == 0) {
    QueueCheckMainWaiters();
    return;
  }
  RunThread *t = Find(thread);
  if (!t || t->running || t->wakeQueued)
    return;
  t->wakeQueued = true;
  QMetaObject::invokeMethod(
      Context(),
      [thread] {
        RunThread *t = Find(thread);
        if (!t)
          return;
        t->wakeQueued = false;
        if (!t->running && !S().current)
          Resume(t);
      },
      Qt::QueuedConnection);
}

void RunUntil(const std::function<bool()> &ready) {
  RethrowEscaped();
  if (ready())
    return;
  QEventLoop loop;
  S().mainWaiters.push_back({&ready, &loop});
  loop.exec();
  S().mainWaiters.pop_back();
  RethrowEscaped();
  if (!ready())
    RunUntil(ready);
}

void RunUntilAllEnded() {
  RunUntil([] { return S().threads.empty(); });
}

void UnwindAll() {
  // Newest first: a thread's windows may sit inside those of threads started before it.
  while (!S().threads.empty()) {
    RunThread *t = S().threads.rbegin()->second.get();
    t->unwinding = true;
    Resume(t); // the thread's wait throws ThreadUnwind, which unwinds its stack to the base
  }
  CheckMainWaiters();
}

std::vector<Window *> &WindowsOf(int thread) {
  if (thread == 0)
    return S().mainWindows;
  if (RunThread *t = Find(thread))
    return t->windows;
  static std::vector<Window *> none;
  none.clear();
  return none;
}

} // namespace scheduler

int START(scheduler::Procedure procedure, int stackBytes) {
  return scheduler::Start(std::move(procedure), stackBytes);
}

int THREAD() {
  return scheduler::CurrentThread();
}

} // namespace vx
