#include "support/old_files.h"

#include "library/core/dictionary.h"
#include "library/runtime/data/error_state.h"

#include <gtest/gtest.h>

namespace vx::test {

namespace {

// Makes the file anew and opens it; fails the test when it cannot.
void Recreate(KeyedFile &file) {
  CREATE(file);
  ASSERT_EQ(ERRORCODE(), 0) << ERROR().toStdString();
  OPEN(file);
  ASSERT_EQ(ERRORCODE(), 0) << ERROR().toStdString();
}

void Add(KeyedFile &file) {
  ADD(file);
  EXPECT_EQ(ERRORCODE(), 0) << ERROR().toStdString();
}

} // namespace

void WriteOldSites(const QList<OldSite> &sites) {
  Recreate(OldSites());
  for (const OldSite &site : sites) {
    CLEAR(OldSites());
    OL().Location = site.location;
    OL().Description = site.description;
    OL().Category = site.category;
    OL().Rating = site.rating;
    OL().Keyword = site.keyword;
    OL().SiteInfo = site.siteInfo;
    Add(OldSites());
  }
  CLOSE(OldSites());
}

void WriteOldCategories(const QStringList &names) {
  Recreate(OldCategories());
  for (const QString &name : names) {
    CLEAR(OldCategories());
    OC().Category = name;
    Add(OldCategories());
  }
  CLOSE(OldCategories());
}

void WriteOldSnippets(const QList<QStringList> &rows) {
  Recreate(OldCatHTML());
  for (const QStringList &row : rows) {
    CLEAR(OldCatHTML());
    OH().Category = row.value(0);
    OH().TypeOfHTML = row.value(1);
    OH().HTMLtoAdd = row.value(2);
    Add(OldCatHTML());
  }
  CLOSE(OldCatHTML());
}

QStringList NewSites() {
  QStringList out;
  TakeFile(VORNIX());
  SET(VORNIX().K_Location);
  for (NEXT(VORNIX()); ERRORCODE() == 0; NEXT(VORNIX())) {
    const SiteRecord &url = URL();
    out << QStringList{url.Location.clipped(),      url.Description.clipped(), url.Category.clipped(),
                       QString::number(url.Rating), url.Keyword.clipped(),     url.SiteInfo.clipped()}
               .join(QLatin1Char('|'));
  }
  ReleaseFile(VORNIX());
  return out;
}

} // namespace vx::test
