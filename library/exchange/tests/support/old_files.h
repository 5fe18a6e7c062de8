#pragma once

#include <QString>
#include <QStringList>

namespace vx::test {

// Writes the data files of the earlier format in the working directory, in their earlier
// layout, as a copy of the program of that format left them.
struct OldSite {
  QString location, description, category;
  int rating = 0;
  QString keyword, siteInfo;
};
void WriteOldSites(const QList<OldSite> &sites);       // VORNIX.KYF
void WriteOldCategories(const QStringList &names);     // CATEGORI.KYF
void WriteOldSnippets(const QList<QStringList> &rows); // CATHTML.KYF: category, type, snippet

// The sites of URL_L.KYF in location order, each "location|description|category|rating|
// keyword|site info", the texts without trailing blanks.
QStringList NewSites();

} // namespace vx::test
