#pragma once

#include "library/exchange/progress_runner.h"

namespace vx {

// The conversions of the files of the earlier format, each run in the progress window of
// `run` on the calling thread (UpgradeProcess). Each leaves GlobalResponse 1 when every
// record was converted, else 2, and answers whether the old file was gone through to its
// end, as the version check asks (version_check.h).
bool UpgradeVORNIX(const ProgressRunner &run);
bool UpgradeCategories(const ProgressRunner &run);
bool UpgradeCatHTML(const ProgressRunner &run);

// Installs the three as the version check's conversions.
void InstallUpgrades(const ProgressRunner &run);

} // namespace vx
