#pragma once

#include <functional>

namespace vx {

// The one-time conversion of data files of the earlier format. Each `*Present` step opens
// the old file for reading and writing with others denied writing and closes it again,
// answering whether it opened; each `upgrade*` step converts that file and answers whether
// it went through the old file to its end (a cancelled or failed conversion answers false).
// A `*Present` step left empty finds no old file; an old file without its `upgrade*` step
// is left for a later start.
struct UpgradeSteps {
  std::function<bool()> oldSitesPresent;
  std::function<bool()> oldCategoriesPresent;
  std::function<bool()> oldCatHtmlPresent;
  std::function<bool()> upgradeSites;
  std::function<bool()> upgradeCategories;
  std::function<bool()> upgradeCatHtml;
};

// The steps in force. By default the old files are looked for in the working directory and
// no conversion is installed: the conversions install theirs here.
UpgradeSteps &Upgrades();
UpgradeSteps DefaultUpgradeSteps();

// Reads the data version from section System of VORNIX.INI. Below 1.5 (blank counts as 0)
// it converts the old files that are present, after telling the user and presetting the
// export settings when the old site file is among them. Writes Version "1.5" once no old
// file is left unconverted, so a conversion that was cancelled, failed or is not installed
// is offered again at the next start. Leaves VersionText "1.5b", the program's version.
void CheckDataVersion();

} // namespace vx
