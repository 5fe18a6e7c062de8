#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace ql {

// One registered top-level window: its title and its window class name.
struct TTopLevelWindow {
  QString title;
  QString className;
};

// The per-user register of the desktop's top-level application windows, the stand-in for
// enumerating them. It is a folder in the runtime directory (RegisterDirectory) holding one
// entry file per registered window with its title and class name.
//
// Each entry is locked (flock) by the process that registered it for as long as that
// registration lives, so an entry whose process has died is unlocked: enumeration skips it
// and removes it. Lock() takes the register's own lock; a registration and an enumeration
// made under one Lock() see the register as no other process can change it meanwhile, so
// that of two programs starting together the second one sees the first one's window.
//
// An object registers the windows of its own process; its registrations end when it is
// destroyed (or the process ends). The entries' descriptors are closed on exec, so that a
// program started from this process never keeps an entry alive. Not thread-safe.
class TTopLevelWindows {
public:
  explicit TTopLevelWindows(QString directory = RegisterDirectory());
  ~TTopLevelWindows();
  TTopLevelWindows(const TTopLevelWindows &) = delete;
  TTopLevelWindows &operator=(const TTopLevelWindows &) = delete;

  // ${XDG_RUNTIME_DIR}/quenlark/windows (Qt's runtime location when the variable is unset).
  // The folder is made readable by its owner only.
  static QString RegisterDirectory();

  // Takes the register's lock, waiting for another process that holds it. False when the
  // folder cannot be created or locked.
  bool Lock();
  // Gives the lock back; harmless when it is not held.
  void Unlock();

  // Adds a window of this process. False when its entry cannot be written.
  bool Register(const TTopLevelWindow &window);

  // Calls visit for every registered window whose process lives, until it returns false.
  // Entries of dead processes are removed. Entries that are not whole are skipped.
  void EnumWindows(const std::function<bool(const TTopLevelWindow &)> &visit);

private:
  QString directory_;
  int lockFd_ = -1;
  std::vector<int> entryFds_;
  std::vector<QString> entryPaths_;
};

} // namespace ql
