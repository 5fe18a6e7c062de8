#pragma once

#include "library/core/file_use.h"
#include "library/exchange/import/import_categories.h"
#include "library/exchange/record_copy_process.h"

#include <optional>

namespace vx {

// The merge of another library's site file into this library's (ImportURLProcess): every
// site of the file at `path` is added with its fields and its Site Info; a site whose
// location the library holds already is skipped without a word. Only sites are merged: no
// snippets, no history, and no category's description. A merged site keeps its category
// ("New" when it has none), and a category that it names and the library lacks is added, by
// its name alone, in the same transaction as the site, so that every site stays changeable
// in its form. Runs in
// batches as RecordCopyProcess describes; a cancelled or failed merge keeps the sites of the
// batches done.
//
// The file is opened for reading only, under the merge source's use count, and is never
// created or changed: a missing or foreign file shows message 30 and the run ends. The
// library's own site file is refused with "Cannot Import", and so is a second file while
// another merge still reads the first.
class MergeProcess : public RecordCopyProcess {
public:
  MergeProcess(const QString &path, BatchProgress &progress);
  ~MergeProcess() override;

private:
  void CopyRecord() override;
  void BatchBegun() override;
  bool RecordAdded() override;
  QString WriteFailure() const override;
  void End(Outcome outcome) override;
  void ReleaseSource();

  bool sourceTaken_ = false;
  std::optional<FileUse> sites_;
  std::optional<FileUse> categoriesUse_;
  ImportCategories categories_;
};

} // namespace vx
