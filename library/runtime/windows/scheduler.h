#pragma once

#include <exception>
#include <functional>
#include <vector>

namespace vx {

class ThreadStore;
class Window;

// The run-time's threads. A STARTed procedure runs as a fiber on the GUI thread with its own
// ThreadStore; a procedure called directly runs on its caller's fiber and shares its store.
// Only the main stack runs the Qt event loop: a fiber that waits (for an event, a dialog's
// answer) suspends, and the main loop resumes it from a clean stack when it is woken.
//
// Thread numbers start at 1 and are never reused within a run. 0 stands for the main stack.
// The scheduler owns the fibers and their stores; a fiber's windows belong to its procedure.
namespace scheduler {

using Procedure = std::function<void()>;

// Starts `procedure` on a new thread and returns its number. The stack size the caller
// names is only a hint: every fiber gets the same ample stack. The procedure starts running
// from the main loop, after the caller next waits.
int Start(Procedure procedure, int stackBytes = 0);

// The number of the running thread, 0 on the main stack.
int CurrentThread();
bool IsAlive(int thread);
std::vector<int> LiveThreads();

// Waits until `ready` holds. On a fiber it suspends, re-checking after every wake: whatever
// makes `ready` true must Wake the thread (posting an event, answering a dialog and the end
// of any thread do). On the main stack it runs the main loop. `ready` is checked first.
void WaitUntil(const std::function<bool()> &ready);

// Asks the main loop to resume `thread` so that it re-checks what it waits for. Harmless
// for a thread that has ended or does not wait.
void Wake(int thread);

// Runs the main loop until every thread has ended. An exception that escaped a procedure
// (HALT's among them) ends the other threads, unwinding their stacks, and is rethrown here.
void RunUntilAllEnded();

// Runs the main loop until `ready` holds; rethrows an exception that escaped a procedure.
// For callers on the main stack (start-up code and tests).
void RunUntil(const std::function<bool()> &ready);

// Ends every live thread by unwinding its stack, without letting it run further.
void UnwindAll();

// The windows open on `thread`, oldest first (the last one is the thread's active window).
std::vector<Window *> &WindowsOf(int thread);

} // namespace scheduler

// START(procedure, stack): runs `procedure` on a thread of its own; returns its number.
int START(scheduler::Procedure procedure, int stackBytes = 0);
// THREAD(): the running thread's number.
int THREAD();

} // namespace vx
