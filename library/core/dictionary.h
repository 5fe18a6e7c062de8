#pragma once

#include "library/core/records.h"
#include "library/runtime/data/keyed_file.h"
#include "library/runtime/data/line_file.h"

namespace vx {

// The data dictionary: every data file of the library with its record, keys and memo, and
// the use count by which procedures share an open file. The file objects live for the whole
// program; their record buffers belong to each run-time thread (records.h).

// Field numbers of the records, for views that filter on a field.
struct SiteFields {
  enum { Location, Description, Category, Rating, Keyword };
};
struct CategoryFields {
  enum { Category, Flag };
};
struct CatHtmlFields {
  enum { Category, TypeOfHTML };
};
struct HistoryFields {
  enum { Type, FieldContents, Date, Time };
};

// A keyed data file with its use count.
class DataFile : public KeyedFile {
public:
  using KeyedFile::KeyedFile;
  int useCount = 0;
};

// A line file (one text field a record) with its label and use count.
class DataLineFile : public LineFile {
public:
  DataLineFile(const QString &label, int recordLength) : LineFile(QString(), recordLength), label_(label) {}
  const QString &label() const { return label_; }
  int useCount = 0;

private:
  QString label_;
};

class SiteFile : public DataFile {
public:
  SiteFile(const FileDecl &decl, BufferFn buffer);
  const Key &K_Location, &K_Description, &K_Category, &K_CategoryLocation, &K_Rating, &K_Keyword;
};

class CategoriesFile : public DataFile {
public:
  CategoriesFile(const FileDecl &decl, BufferFn buffer);
  const Key &K_Category;
};

class CatHtmlFile : public DataFile {
public:
  CatHtmlFile(const FileDecl &decl, BufferFn buffer);
  const Key &KeyCategoryHTML;
};

class HistoryFile : public DataFile {
public:
  HistoryFile(const FileDecl &decl, BufferFn buffer);
  const Key &KeyType;
};

class OldSiteFile : public DataFile {
public:
  OldSiteFile(const FileDecl &decl, BufferFn buffer);
  const Key &K_Location, &K_Description, &K_Category, &K_Rating, &K_Keyword;
};

SiteFile &VORNIX();              // URL_L.KYF, the sites
CategoriesFile &Categories();    // URL_C.KYF
CatHtmlFile &CatHTML();          // URL_H.KYF
HistoryFile &History();          // URL_Y.KYF
OldSiteFile &OldSites();         // VORNIX.KYF, earlier format
CategoriesFile &OldCategories(); // CATEGORI.KYF, earlier format
CatHtmlFile &OldCatHTML();       // CATHTML.KYF, earlier format
SiteFile &MergeSource();         // another library's site file; named by the program
DataLineFile &ASC();             // import input and export side files; 512 characters a line
DataLineFile &OUT();             // export output; 512 characters a line

// Takes a data file for a procedure: opens it through OpenDataFile when no procedure uses
// it yet, then counts the use.
void TakeFile(DataFile &file);
// Gives the file back: the last user closes it.
void ReleaseFile(DataFile &file);

// For files named by the user (the merge source, the import's line file, the export's
// output): opens the file when no procedure uses it yet and counts the use. A file that
// cannot be opened shows message 30 with its name and returns false without counting; the
// caller then ends its own process, never the program. Only `create` files are created
// when missing; a keyed file taken with SharedRead refuses writes.
bool TakeUserFile(DataFile &file, FileAccess access = FileAccess::SharedReadWrite);
bool TakeUserFile(DataLineFile &file, LineFile::Access access, bool create);
void ReleaseFile(DataLineFile &file);

} // namespace vx
