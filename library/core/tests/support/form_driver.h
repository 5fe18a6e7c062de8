#pragma once

#include "support/gui_support.h"
#include "support/library_fixture.h"

#include <QString>
#include <functional>

namespace vx {
class Window;
}

namespace vx::test {

// A library test that also keeps VORNIX.INI in a temporary folder, for forms that remember
// their window positions.
class FormTest : public LibraryTest {
protected:
  TempSetup setup_;
};

// Runs `procedure` on a thread of its own and `script` on another, which is given the
// procedure's thread; returns when both have ended.
void RunWithScript(const std::function<void()> &procedure, const std::function<void(int)> &script);

// Waits until the active window of `thread` is open with `title`, and returns it.
Window &WaitForWindow(int thread, const QString &title);

// Waits until `thread` has ended.
void WaitForEnd(int thread);

} // namespace vx::test
