#pragma once

namespace vx {

// UpdateCategoriesNoMDI: the category form in a window of its own, reduced to the category's
// name and description, for adding a category in the middle of an import. Like
// UpdateCategories it adds (GlobalRequest 1), changes (2) or deletes (3) the category in
// the calling thread's CAT buffer, which the caller has cleared for an insert and read
// otherwise: a name already taken is refused ("Duplicate Key Error") and the form stays
// open; a rename reaches the category's snippets and sites, and a delete (after "Confirm
// Delete", without opening the window) deletes them, each in one transaction.
// GlobalResponse is 1 when the category was written or deleted, else 2; after an insert or
// a change the CAT buffer holds the record as written.
void UpdateCategoriesNoMDI();

enum UpdateCategoriesNoMdiControl : int {
  kNoMdiPrompt = 1,
  kNoMdiName,
  kNoMdiSheet,
  kNoMdiDescriptionPrompt,
  kNoMdiDescription,
  kNoMdiOk,
  kNoMdiCancel,
  kNoMdiTabGeneral,
};

} // namespace vx
