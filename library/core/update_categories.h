#pragma once

namespace vx {

// UpdateCategories: the form on which one category is added (GlobalRequest 1), changed (2)
// or deleted (3). It edits the CAT buffer of the calling thread in place: the caller has
// cleared it for an insert and read the category into it otherwise. Besides the name and
// the description, two lists show the category's HTML snippets and its sites (those whose
// Category equals the name in the entry without regard to case); their buttons add, change
// and delete them at once through UpdateCatHTML and UpdateVORNIX. The category itself is
// written on OK: renaming it renames its snippets and sites, deleting it (after "Confirm
// Delete", without opening the window) deletes them, each in one transaction.
//
// The form keeps, for itself, the name the category had when it was loaded, so that two
// forms open at once each rename their own category's children, and it keeps its category
// record across the calls of the lists' forms. GlobalResponse is 1 when the category was
// written or deleted, else 2.
void UpdateCategories();

// The form's controls, by number.
enum UpdateCategoriesControl : int {
  kCatPrompt = 1,
  kCatName,
  kCatSheet,
  kCatDescriptionPrompt,
  kCatDescription,
  kCatHtmlList,
  kCatHtmlInsert,
  kCatHtmlChange,
  kCatHtmlDelete,
  kCatSiteList,
  kCatSiteInsert,
  kCatSiteChange,
  kCatSiteDelete,
  kCatOk,
  kCatCancel,
  kCatTabGeneral,
  kCatTabHtml,
  kCatTabLocations,
};

} // namespace vx
