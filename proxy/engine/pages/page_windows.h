#pragma once

namespace ql {

// The desktop windows that the pseudo-host's /gbookmarks and /gcache pages bring forward,
// through the control bar's operations of the same names. A window the program does not have
// yet is not shown.
class TPageWindows {
public:
  virtual ~TPageWindows() = default;
  // Shows the Bookmarks window and brings it forward.
  virtual void ShowAutoForm() = 0;
  // Shows the Cache Explorer and brings it forward.
  virtual void ShowCacheForm() = 0;
};

// The stand-in while no control bar is linked: nothing is shown.
class TNoPageWindowsYet : public TPageWindows {
public:
  void ShowAutoForm() override {}
  void ShowCacheForm() override {}
};

} // namespace ql
