#include "library/exchange/convert/upgrade_process.h"

#include "library/exchange/convert/make_way.h"
#include "library/runtime/data/error_state.h"

namespace vx {

namespace {

DataFile &OldFileOf(UpgradeProcess::Kind kind) {
  switch (kind) {
  case UpgradeProcess::Kind::Sites:
    return OldSites();
  case UpgradeProcess::Kind::Categories:
    return OldCategories();
  case UpgradeProcess::Kind::CatHtml:
    break;
  }
  return OldCatHTML();
}

DataFile &NewFileOf(UpgradeProcess::Kind kind) {
  switch (kind) {
  case UpgradeProcess::Kind::Sites:
    return VORNIX();
  case UpgradeProcess::Kind::Categories:
    return Categories();
  case UpgradeProcess::Kind::CatHtml:
    break;
  }
  return CatHTML();
}

QString TaskOf(UpgradeProcess::Kind kind) {
  switch (kind) {
  case UpgradeProcess::Kind::Sites:
    return QStringLiteral("Upgrading Location File");
  case UpgradeProcess::Kind::Categories:
    return QStringLiteral("Upgrading Category File");
  case UpgradeProcess::Kind::CatHtml:
    break;
  }
  return QStringLiteral("Upgrading HTML File");
}

} // namespace

UpgradeProcess::UpgradeProcess(Kind kind, BatchProgress &progress, bool *wentThrough)
    : RecordCopyProcess(progress), kind_(kind), oldFile_(OldFileOf(kind)), newFile_(NewFileOf(kind)),
      wentThrough_(wentThrough) {
  oldUse_.emplace(oldFile_);
  if (RECORDS(oldFile_) > 0 && !MakeWayForConversion(newFile_))
    return;
  newUse_.emplace(newFile_);
  // The old site file is spoken of as "VORNIX", the label of the sites.
  Begin(oldFile_, kind == Kind::Sites ? VORNIX().label() : oldFile_.label(), newFile_, TaskOf(kind));
}

void UpgradeProcess::CopyRecord() {
  switch (kind_) {
  case Kind::Sites: {
    const OldSiteRecord &from = OL();
    SiteRecord &to = URL();
    CLEAR(VORNIX());
    to.Location = from.Location.text();
    to.Description = from.Description.text();
    to.Category = from.Category.text();
    to.Rating = from.Rating;
    to.Keyword = from.Keyword.text();
    to.SiteInfo = from.SiteInfo.text();
    break;
  }
  case Kind::Categories:
    CLEAR(Categories());
    CAT().Category = OC().Category.text();
    CAT().Description = QString();
    break;
  case Kind::CatHtml:
    CLEAR(CatHTML());
    HTM().Category = OH().Category.text();
    HTM().TypeOfHTML = OH().TypeOfHTML.text();
    HTM().HTMLtoAdd = OH().HTMLtoAdd.text();
    break;
  }
}

QString UpgradeProcess::WriteFailure() const {
  return QStringLiteral("Error upgrading - can't add record to ") + newFile_.name() +
         (ERRORCODE() == 90 ? FILEERROR() : ERROR());
}

void UpgradeProcess::End(Outcome outcome) {
  oldUse_.reset();
  newUse_.reset();
  if (outcome == Outcome::Copied && !oldFile_.isOpen())
    REMOVE(oldFile_);
  if (wentThrough_)
    *wentThrough_ = outcome == Outcome::Copied || outcome == Outcome::Empty;
}

} // namespace vx
