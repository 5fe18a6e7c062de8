#pragma once

namespace vx {

// SelectCategories: the window "Select Category", a list of the Categories file in which the
// user picks one category. Called directly with GlobalRequest 4 (select) it opens on the
// category in CAT:Category and offers "&Select"; any other request shows the list for
// looking only. GlobalResponse is 1 after "&Select" and 2 otherwise; either way the
// Categories record buffer holds the highlighted row's record (a cleared record when the
// list is empty).
void SelectCategories();

enum SelectCategoriesControl : int {
  kSelectList = 1,
  kSelectButton,
  kSelectSheet,
  kSelectClose,
  kSelectTab,
};

} // namespace vx
