#pragma once

#include "library/runtime/data/fixed_string.h"

#include <QtGlobal>

namespace vx {

// The records of the library's data files, field for field as they are stored.
// DECIMAL(2,0) fields are ints, LONG fields qint32, BYTE fields quint8.

struct SiteRecord { // URL: the sites; also ILOC, the merge source
  FixedString<255> Location;
  FixedString<100> Description;
  FixedString<30> Category;
  int Rating = 0;
  FixedString<10> Keyword;
  FixedString<1000> SiteInfo; // memo "Site Info"
};

struct CategoryRecord { // CAT
  FixedString<30> Category;
  quint8 Flag = 0;
  FixedString<1000> Description; // memo
};

struct CatHtmlRecord { // HTM
  FixedString<30> Category;
  FixedString<30> TypeOfHTML;
  FixedString<1000> HTMLtoAdd; // memo
};

struct HistoryRecord { // HIS
  FixedString<10> Type;
  FixedString<255> FieldContents;
  qint32 Date = 0;
  qint32 Time = 0;
};

struct OldSiteRecord { // OL: the site file of the earlier format
  FixedString<128> Location;
  FixedString<60> Description;
  FixedString<15> Category;
  int Rating = 0;
  FixedString<10> Keyword;
  FixedString<500> SiteInfo; // memo
};

struct OldCategoryRecord { // OC
  FixedString<15> Category;
};

struct OldCatHtmlRecord { // OH
  FixedString<15> Category;
  FixedString<30> TypeOfHTML;
  FixedString<1000> HTMLtoAdd; // memo
};

// The record buffers of the current run-time thread. Each STARTed procedure has its own set,
// which the procedures it calls directly share; so a window works on its own current
// records and never on another window's.
SiteRecord &URL();
CategoryRecord &CAT();
CatHtmlRecord &HTM();
HistoryRecord &HIS();
OldSiteRecord &OL();
OldCategoryRecord &OC();
OldCatHtmlRecord &OH();
SiteRecord &ILOC();

} // namespace vx
