#pragma once

#include "library/core/file_use.h"
#include "library/exchange/record_copy_process.h"

#include <optional>

namespace vx {

// The conversion of one data file of the earlier format into its file of this version,
// record for record, the narrower texts copied into the wider fields:
// - Sites: VORNIX.KYF into URL_L.KYF ("Upgrading Location File"); a duplicate location is
//   asked about with the STOP question "Error upgrading - can't add record to <file><error>".
// - Categories: CATEGORI.KYF into URL_C.KYF ("Upgrading Category File"), descriptions empty.
// - CatHtml: CATHTML.KYF into URL_H.KYF ("Upgrading HTML File").
// Duplicates of the last two are skipped. Runs in batches as RecordCopyProcess describes.
//
// Construction takes the old file through its use count. When it holds records, the new
// file is made anew first, any data it held being kept aside (MakeWayForConversion); an old
// file without records leaves the new file as it is (created empty when missing). Finish
// deletes the old file once every record went across; after a cancel or a failure the old
// file stays, and the new one holds the records of the batches done. `wentThrough`, when
// given, is set by Finish: whether the old file was read to its end without a failure
// (also when it held no record), so that the conversion needs no second run.
class UpgradeProcess : public RecordCopyProcess {
public:
  enum class Kind { Sites, Categories, CatHtml };

  UpgradeProcess(Kind kind, BatchProgress &progress, bool *wentThrough = nullptr);

private:
  void CopyRecord() override;
  bool AskOnDuplicate() const override { return kind_ == Kind::Sites; }
  QString WriteFailure() const override;
  void End(Outcome outcome) override;

  Kind kind_;
  DataFile &oldFile_;
  DataFile &newFile_;
  bool *wentThrough_;
  std::optional<FileUse> oldUse_;
  std::optional<FileUse> newUse_;
};

} // namespace vx
