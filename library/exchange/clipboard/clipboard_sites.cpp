#include "library/exchange/clipboard/clipboard_sites.h"

#include "library/core/dictionary.h"
#include "library/exchange/clipboard/clipboard_scan.h"
#include "library/exchange/import/import_categories.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/language/date_time.h"
#include "library/runtime/language/format.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/windows/halt.h"

namespace vx {

namespace {

constexpr int kStatusWidth = 80;

// Adds `name` to Categories when it is not there; the add's own result does not matter.
void EnsureCategory(const QString &name) {
  CLEAR(Categories());
  CAT().Category = name;
  GET(Categories().K_Category);
  if (ERRORCODE() != 35 && ERRORCODE() != 33)
    return;
  CLEAR(Categories());
  CAT().Category = name;
  CAT().Description = QString();
  ADD(Categories());
}

// Whether the library holds a site at `location`, compared without regard to case.
bool Stored(const QString &location) {
  CLEAR(VORNIX());
  URL().Location = location;
  GET(VORNIX().K_Location);
  return ERRORCODE() == 0 && LOWER(URL().Location.clipped()) == LOWER(location);
}

} // namespace

void ScanClipboardText(const QString &text, ClipboardTally &tally) {
  for (const ClipboardSite &site : FindClipboardSites(text)) {
    const QString category = CategoryOrNew(site.category);
    EnsureCategory(category);
    if (site.location.startsWith(u'#') || Stored(site.location))
      continue;
    SiteRecord &url = URL();
    CLEAR(VORNIX());
    url.Location = site.location;
    url.Description = site.description.isEmpty()
                          ? QStringLiteral("Added from clipboard ") + FORMAT(TODAY(), QStringLiteral("D3")) +
                                QLatin1Char(' ') + FORMAT(CLOCK(), QStringLiteral("T3")) + QLatin1Char(' ') +
                                site.location
                          : site.description;
    url.Category = category;
    url.Keyword = site.keyword;
    url.SiteInfo = site.siteInfo;
    ADD(VORNIX());
    if (ERRORCODE() != 0 && ERRORCODE() != 40) {
      STOP((ERRORCODE() == 90 ? FILEERROR() : ERROR()) + QStringLiteral(" adding location"));
      continue;
    }
    ++tally.added;
    tally.status = (QStringLiteral("Added %1:  ").arg(tally.added) + site.location).left(kStatusWidth);
  }
}

} // namespace vx
