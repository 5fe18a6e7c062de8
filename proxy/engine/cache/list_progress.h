#pragma once

namespace ql {

// Where a long walk over a cache list or an index file shows its progress (the Cache
// Explorer's progress bar): ShowProgress gets the percentage done, repaints and lets pending
// window messages run. It returns false to stop the walk.
class TListProgress {
public:
  virtual ~TListProgress() = default;
  virtual bool ShowProgress(int percent) = 0;
};

} // namespace ql
