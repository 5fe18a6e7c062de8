#pragma once

namespace vx {

// BrowseVORNIX: the window "Browse Locations", the list of every site of the library in five
// orders (Description, Location, Category, Rating, Keyword; one tab each), the Category
// order showing the sites of one category only. Its buttons add, change and delete sites
// through UpdateVORNIX, choose the category through SelectCategories and copy the
// highlighted location to the clipboard. The window keeps its place, its column format
// ("?Browse:1") and the proportional layout of its controls in VORNIX.INI, section
// "BrowseVORNIX". Runs on a thread of its own (STARTed), or called directly.
void BrowseVORNIX();

// The control numbers of the window.
enum BrowseVornixControl : int {
  kBrowseList = 1,
  kBrowseSheet,
  kBrowseSelectCategory,
  kBrowseInsert,
  kBrowseChange,
  kBrowseDelete,
  kBrowseClipboard,
  kBrowseClose,
  kBrowseTabDescription,
  kBrowseTabLocation,
  kBrowseTabCategory,
  kBrowseTabRating,
  kBrowseTabKeyword,
};

} // namespace vx
