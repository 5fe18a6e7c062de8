#include "library/exchange/convert/upgrades.h"

#include "library/core/globals.h"
#include "library/core/version_check.h"
#include "library/exchange/convert/upgrade_process.h"

namespace vx {

namespace {

bool Upgrade(UpgradeProcess::Kind kind, const ProgressRunner &run) {
  ProcedureScope scope;
  bool wentThrough = false;
  scope.response = run([kind, &wentThrough](BatchProgress &progress) {
    return std::make_unique<UpgradeProcess>(kind, progress, &wentThrough);
  });
  return wentThrough;
}

} // namespace

bool UpgradeVORNIX(const ProgressRunner &run) {
  return Upgrade(UpgradeProcess::Kind::Sites, run);
}

bool UpgradeCategories(const ProgressRunner &run) {
  return Upgrade(UpgradeProcess::Kind::Categories, run);
}

bool UpgradeCatHTML(const ProgressRunner &run) {
  return Upgrade(UpgradeProcess::Kind::CatHtml, run);
}

void InstallUpgrades(const ProgressRunner &run) {
  UpgradeSteps &steps = Upgrades();
  steps.upgradeSites = [run] { return UpgradeVORNIX(run); };
  steps.upgradeCategories = [run] { return UpgradeCategories(run); };
  steps.upgradeCatHtml = [run] { return UpgradeCatHTML(run); };
}

} // namespace vx
