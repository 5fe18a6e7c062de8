#pragma once

#include <QString>

namespace vx {

// UpdateVORNIX: the form on which one site is added (GlobalRequest 1), changed (2) or
// deleted (3). It edits the site record buffer of the calling thread in place: for a change
// or a delete the caller has read the site into it; for an insert the caller has cleared it
// (and may have preset the category). A delete asks with message 32 and never opens the
// window. GlobalResponse is 1 when the site was added, changed or deleted, 2 otherwise;
// after a completed insert or change the buffer holds the record as written.
void UpdateVORNIX();

// The Keyword proposed for a new site from its Location: the scheme before the first "://"
// (at most ten characters, blank when the Location begins with it), "mailto:" for a
// Location holding "mailto:" and no "://", "?" for any other.
QString ProposeKeyword(const QString &location);

enum UpdateVornixControl : int {
  kUpdateSheet = 1,
  kUpdateLocationPrompt,
  kUpdateLocation,
  kUpdateDescriptionPrompt,
  kUpdateDescription,
  kUpdateCategoryPrompt,
  kUpdateCategory,
  kUpdateRatingPrompt,
  kUpdateRating,
  kUpdateKeywordPrompt,
  kUpdateKeyword,
  kUpdateSiteInfoPrompt,
  kUpdateSiteInfo,
  kUpdateOk,
  kUpdateCancel,
  kUpdateTabGeneral,
  kUpdateTabSiteInfo,
};

} // namespace vx
