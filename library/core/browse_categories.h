#pragma once

namespace vx {

// BrowseCategories: the window "Browse Categories", the list of every category in name
// order ("_Before All" and "_After All" among them). Its buttons add, change and delete
// categories through UpdateCategories (whose snippets and sites follow a rename or a
// delete) and open the sites of the highlighted category. Keeps its place in VORNIX.INI,
// section "BrowseCategories". Runs on a thread of its own (STARTed from the frame's Browse
// menu); the procedures it calls run on that thread while it waits.
void BrowseCategories();

// The window "Browse Location by Category" (section "BrowseURL:K_Category"): the sites of
// the category in the CAT buffer when it opens, matched without regard to letter case, in
// description order. Its buttons add, change and delete them through UpdateVORNIX; a site
// added here is preset with the category shown. The list keeps showing that category
// whatever the site form reads meanwhile. Called directly by BrowseCategories.
void BrowseURLByCategory();

// The control numbers of the two windows.
enum BrowseCategoriesControl : int {
  kCategoriesList = 1,
  kCategoriesSheet,
  kCategoriesTab,
  kCategoriesInsert,
  kCategoriesChange,
  kCategoriesDelete,
  kCategoriesLocations,
  kCategoriesClose,
  kCategoriesHeading,
  kCategoriesTipBox,
  kCategoriesTipFirstLine, // the eight lines of the tip follow in order
};

enum BrowseURLByCategoryControl : int {
  kSitesOfCategoryList = 1,
  kSitesOfCategorySheet,
  kSitesOfCategoryTab,
  kSitesOfCategoryInsert,
  kSitesOfCategoryChange,
  kSitesOfCategoryDelete,
  kSitesOfCategoryClose,
};

} // namespace vx
