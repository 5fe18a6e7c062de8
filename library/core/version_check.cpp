#include "library/core/version_check.h"

#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/message_box.h"

namespace vx {

namespace {

const QString kIni = QStringLiteral("VORNIX.INI");

bool Present(const std::function<bool()> &opens) {
  return opens && opens();
}

// Converts an old file when it is there; false when it is left unconverted.
bool Convert(const std::function<bool()> &present, const std::function<bool()> &upgrade) {
  if (!Present(present))
    return true;
  return upgrade && upgrade();
}

// Whether an old file is there: it opens (and is closed again at once).
bool Opens(KeyedFile &file) {
  OPEN(file);
  if (ERRORCODE() != 0)
    return false;
  CLOSE(file);
  return true;
}

} // namespace

UpgradeSteps DefaultUpgradeSteps() {
  UpgradeSteps steps;
  steps.oldSitesPresent = [] { return Opens(OldSites()); };
  steps.oldCategoriesPresent = [] { return Opens(OldCategories()); };
  steps.oldCatHtmlPresent = [] { return Opens(OldCatHTML()); };
  return steps;
}

UpgradeSteps &Upgrades() {
  static UpgradeSteps steps = DefaultUpgradeSteps();
  return steps;
}

void CheckDataVersion() {
  VersionText = GETINI(QStringLiteral("System"), QStringLiteral("Version"), VersionText, kIni);
  const double version = VersionText.trimmed().toDouble(); // blank or not a number: 0
  bool converted = true;
  if (version < 1.5) {
    const UpgradeSteps &steps = Upgrades();
    const bool oldSites = Present(steps.oldSitesPresent);
    converted = !oldSites;
    if (oldSites && steps.upgradeSites) {
      MESSAGE(QStringLiteral("To allow you to take full advantage of all the new features in this version of "
                             "Vornix, your files must be updated.  Press OK to begin upgrading files."),
              QStringLiteral("New version detected!"), MessageIcon::None, BUTTON_OK);
      {
        IniWriteBatch exportDefaults;
        PUTINI(QStringLiteral("Export"), QStringLiteral("SiteInfo"), QStringLiteral("1"), kIni);
        PUTINI(QStringLiteral("Export"), QStringLiteral("Ratings"), QStringLiteral("1"), kIni);
        PUTINI(QStringLiteral("Export"), QStringLiteral("Type"), QStringLiteral("HTML - Table"), kIni);
        PUTINI(QStringLiteral("Export"), QStringLiteral("Categories"), QStringLiteral("All"), kIni);
        PUTINI(QStringLiteral("Export"), QStringLiteral("Name"), QStringLiteral("VORNEXP.HTM"), kIni);
      }
      converted = steps.upgradeSites();
    }
    converted = Convert(steps.oldCategoriesPresent, steps.upgradeCategories) && converted;
    converted = Convert(steps.oldCatHtmlPresent, steps.upgradeCatHtml) && converted;
  }
  if (converted) {
    VersionText = QStringLiteral("1.5");
    PUTINI(QStringLiteral("System"), QStringLiteral("Version"), VersionText, kIni);
  }
  VersionText = QStringLiteral("1.5b");
}

} // namespace vx
