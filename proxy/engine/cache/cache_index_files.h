#pragma once

#include <QString>

namespace ql {

// Loads the cache index at start and saves it at stop. A load that found data files the
// program must not run with (the earlier format) asks for a halt: the engine then starts
// nothing more and the program ends.
class TCacheIndexFiles {
public:
  virtual ~TCacheIndexFiles() = default;
  virtual void LoadCacheIndex() = 0;
  virtual void SaveCacheIndex() = 0;
  virtual bool HaltRequested() const { return false; }
  // A line for the engine log on what keeping the files on the disk has cost; empty: none.
  virtual QString SyncReport() const { return {}; }
};

// The stand-in while the program has no cache index: nothing is loaded or saved.
class TCacheIndexFilesNotBuiltYet : public TCacheIndexFiles {
public:
  void LoadCacheIndex() override {}
  void SaveCacheIndex() override {}
};

} // namespace ql
