#pragma once

namespace vx {

// UpdateCatHTML: the form on which one HTML snippet of a category is added, changed or
// deleted. The caller sets GlobalRequest (1 insert, 2 change, 3 delete) and prepares the
// snippet buffer HTM (cleared for an insert, read from the file otherwise); a new snippet
// takes the category in the CAT buffer and the type "Before Category". A category holds at
// most one snippet of each type. On return GlobalResponse is 1 when the snippet was
// written or deleted, else 2. Runs on the caller's thread; the window is never shown for a
// delete.
void UpdateCatHTML();

// The form's controls, by number.
enum CatHtmlControl : int {
  kCatHtmlSheet = 1,
  kCatHtmlTypeGroup,
  kCatHtmlReplaceTitle, // the five radio buttons of the type group, in order
  kCatHtmlBeforeCategory,
  kCatHtmlBeforeCategoryTitle,
  kCatHtmlAfterCategoryTitle,
  kCatHtmlAfterCategory,
  kCatHtmlText,
  kCatHtmlHint1,
  kCatHtmlHint2,
  kCatHtmlOk,
  kCatHtmlCancel,
  kCatHtmlTab,
};

} // namespace vx
