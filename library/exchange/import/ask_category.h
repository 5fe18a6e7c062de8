#pragma once

#include <QString>

namespace vx {

// AskCategory: the window "Category Assignment" that an import shows for a site when the
// user chose to be asked for each one. It shows the site in the calling thread's site
// buffer (location and description), the category the import guessed, and a list of the
// categories, the snippet pseudo-categories "_Before All" and "_After All" left out. Called
// with GlobalRequest 4 it opens on the category in CAT:Category and offers "&Select".
//
// "&Select" (or a double-click on a row) answers GlobalResponse 1 with the highlighted
// category in the Categories buffer (a cleared record when the list is empty); "&Use Best
// Guess" and closing the window answer 2; "Cancel" (and Escape) answers kAskEndImport, which
// asks the caller to end its import. "&Insert" adds a category through
// UpdateCategoriesNoMDI; when it was added it is the highlighted row. The site's location
// and description are shown read-only.
void AskCategory(const QString &guess);

constexpr int kAskEndImport = 3;

enum AskCategoryControl : int {
  kAskLocation = 1,
  kAskLocationPrompt,
  kAskDescription,
  kAskDescriptionPrompt,
  kAskSheet,
  kAskList,
  kAskInsert,
  kAskSelect,
  kAskUseGuess,
  kAskGuess,
  kAskTab,
  kAskCancel,
};

} // namespace vx
