#pragma once

#include "proxy/engine/bookmarks/bookmark_format.h"

#include <QString>

#include <cstdint>

namespace ql {

class TBookmarkOutline;

// The bookmark file auto.dat in the data directory, with its companions auto.tmp (the write
// under way) and auto.bak (a backup refreshed on every ninth write).
//
// Load reads auto.dat, and when that fails auto.bak, then auto.tmp, each copied over auto.dat
// first; a damaged auto.dat is kept aside as "auto.dat.damaged" (numbered when that name is
// taken), never deleted. A missing auto.bak is made from a good auto.dat. When no copy could be
// read although one existed, nothing is written until the tree changes, so that an empty tree
// never replaces what the user may still recover. A file of the earlier format gets the
// conversion notice, and from then on nothing is saved (Held).
//
// SaveExtOutline writes on every 16th call only, or at once when the tree has more than one
// node more than at the call before (or the load): a change that added several nodes, such as
// an import, counts as one change but is written when it is done. SaveExtOutlineNoDelay
// writes at once. A write goes to auto.tmp, is synced and renamed over auto.dat: a failed
// write leaves auto.dat as it was and is not reported. GUI thread only.
class TBookmarkFile {
public:
  // dataDirectory: the data directory in the file system's form, ending in "/".
  explicit TBookmarkFile(const QString &dataDirectory);

  // One attempt: reads auto.dat into the empty tree (a missing file fails).
  TBookmarkRead LoadExtOutline(TBookmarkOutline &tree);
  // Reads the tree with the fall-backs above. True when a copy was read.
  bool Load(TBookmarkOutline &tree);

  void SaveExtOutline(const TBookmarkOutline &tree);
  void SaveExtOutlineNoDelay(const TBookmarkOutline &tree);

  // From now on nothing is written: the data files are of the earlier format and the program
  // ends. ConversionFound tells whether auto.dat itself was.
  void Hold() { held_ = true; }
  bool Held() const { return held_; }
  bool ConversionFound() const { return conversionFound_; }

  QString PathOf(const char *name) const { return directory_ + QLatin1String(name); }
  // The save-call counter (0..15) and the backup counter (0..8).
  int SaveCalls() const { return saveCalls_; }
  int BackupCount() const { return backupCount_; }

private:
  // Copies a companion over auto.dat (atomically) and reads it. False when it is missing or
  // could not be copied or read.
  bool LoadFrom(const char *name, TBookmarkOutline &tree);
  bool KeepDamaged();
  bool Write(const QByteArray &bytes);

  QString directory_;
  int saveCalls_ = 0;
  int backupCount_ = 0;
  bool held_ = false;
  bool conversionFound_ = false;
  // No copy was readable: writes wait for the tree to differ from this revision.
  bool protect_ = false;
  // The tree's node count at the last call of SaveExtOutline or at the load.
  int countAtLastCall_ = 0;
  uint64_t revisionAtLoad_ = 0;
};

} // namespace ql
