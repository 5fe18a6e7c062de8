#pragma once

#include <functional>

namespace vx {

// The one-time conversion of data files of the earlier format. Each `*Present` step opens
// the old file for reading and writing with others denied writing and closes it again,
// answering whether it opened; each `upgrade*` step converts that file. Steps left empty
// find no old file and convert nothing.
struct UpgradeSteps {
  std::function<bool()> oldSitesPresent;
  std::function<bool()> oldCategoriesPresent;
  std::function<bool()> oldCatHtmlPresent;
  std::function<void()> upgradeSites;
  std::function<void()> upgradeCategories;
  std::function<void()> upgradeCatHtml;
};

// The steps in force. By default the old files are looked for in the working directory and
// no conversion is installed: the conversions install theirs here.
UpgradeSteps &Upgrades();
UpgradeSteps DefaultUpgradeSteps();

// Reads the data version from section System of VORNIX.INI. Below 1.5 (blank counts as 0)
// it converts the old files that are present, after telling the user and presetting the
// export settings when the old site file is among them. Always writes Version "1.5"; leaves
// VersionText "1.5b", the program's version.
void CheckDataVersion();

} // namespace vx
