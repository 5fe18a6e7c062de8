#include "library/core/dictionary.h"

#include "library/core/open_data_file.h"

namespace vx {

namespace {

KeyDef MakeKey(const char *name, std::vector<KeyPart> parts, bool unique, bool blanksLeftOut) {
  return KeyDef{QString::fromLatin1(name), std::move(parts), unique, blanksLeftOut};
}

FileDecl SiteDecl(const char *label, const char *prefix, const char *diskName) {
  FileDecl d;
  d.label = QString::fromLatin1(label);
  d.prefix = QString::fromLatin1(prefix);
  d.diskName = QString::fromLatin1(diskName);
  d.fields = {TextField<&SiteRecord::Location>("Location"),
              TextField<&SiteRecord::Description>("Description"),
              TextField<&SiteRecord::Category>("Category"), NumberField<&SiteRecord::Rating>("Rating"),
              TextField<&SiteRecord::Keyword>("Keyword")};
  d.memo = MemoField<&SiteRecord::SiteInfo>("SiteInfo");
  using F = SiteFields;
  d.keys = {MakeKey("K_Location", {{F::Location}}, true, true),
            MakeKey("K_Description", {{F::Description}}, false, true),
            MakeKey("K_Category", {{F::Category}, {F::Description}}, false, false),
            MakeKey("K_CategoryLocation", {{F::Category}, {F::Location}}, false, true),
            MakeKey("K_Rating", {{F::Rating, true}, {F::Description}, {F::Location}}, false, false),
            MakeKey("K_Keyword", {{F::Keyword}, {F::Description}, {F::Location}}, false, false)};
  d.ops = OpsFor<SiteRecord>();
  return d;
}

FileDecl CategoryDecl() {
  FileDecl d;
  d.label = QStringLiteral("Categories");
  d.prefix = QStringLiteral("CAT");
  d.diskName = QStringLiteral("URL_C");
  d.fields = {TextField<&CategoryRecord::Category>("Category"), NumberField<&CategoryRecord::Flag>("Flag")};
  d.memo = MemoField<&CategoryRecord::Description>("Description");
  d.keys = {MakeKey("K_Category", {{0}}, true, true)};
  d.ops = OpsFor<CategoryRecord>();
  return d;
}

FileDecl CatHtmlDecl() {
  FileDecl d;
  d.label = QStringLiteral("CatHTML");
  d.prefix = QStringLiteral("HTM");
  d.diskName = QStringLiteral("URL_H");
  d.fields = {TextField<&CatHtmlRecord::Category>("Category"),
              TextField<&CatHtmlRecord::TypeOfHTML>("TypeOfHTML")};
  d.memo = MemoField<&CatHtmlRecord::HTMLtoAdd>("HTMLtoAdd");
  d.keys = {MakeKey("KeyCategoryHTML", {{0}, {1}}, true, true)};
  d.ops = OpsFor<CatHtmlRecord>();
  return d;
}

FileDecl HistoryDecl() {
  FileDecl d;
  d.label = QStringLiteral("History");
  d.prefix = QStringLiteral("HIS");
  d.diskName = QStringLiteral("URL_Y");
  d.fields = {TextField<&HistoryRecord::Type>("Type"),
              TextField<&HistoryRecord::FieldContents>("FieldContents"),
              NumberField<&HistoryRecord::Date>("Date"), NumberField<&HistoryRecord::Time>("Time")};
  using F = HistoryFields;
  d.keys = {
      MakeKey("KeyType", {{F::Type}, {F::Date, true}, {F::Time, true}, {F::FieldContents}}, true, true)};
  d.ops = OpsFor<HistoryRecord>();
  return d;
}

FileDecl OldSiteDecl() {
  FileDecl d;
  d.label = QStringLiteral("OldVORNIX");
  d.prefix = QStringLiteral("OL");
  d.diskName = QStringLiteral("VORNIX");
  d.fields = {TextField<&OldSiteRecord::Location>("Location"),
              TextField<&OldSiteRecord::Description>("Description"),
              TextField<&OldSiteRecord::Category>("Category"), NumberField<&OldSiteRecord::Rating>("Rating"),
              TextField<&OldSiteRecord::Keyword>("Keyword")};
  d.memo = MemoField<&OldSiteRecord::SiteInfo>("SiteInfo");
  enum { Location, Description, Category, Rating, Keyword };
  d.keys = {MakeKey("K_Location", {{Location}}, true, true),
            MakeKey("K_Description", {{Description}}, false, true),
            MakeKey("K_Category", {{Category}, {Location}}, false, false),
            MakeKey("K_Rating", {{Rating}, {Location}}, false, false),
            MakeKey("K_Keyword", {{Keyword}, {Location}}, false, false)};
  d.ops = OpsFor<OldSiteRecord>();
  return d;
}

FileDecl OldCategoryDecl() {
  FileDecl d;
  d.label = QStringLiteral("OldCategories");
  d.prefix = QStringLiteral("OC");
  d.diskName = QStringLiteral("CATEGORI");
  d.fields = {TextField<&OldCategoryRecord::Category>("Category")};
  d.keys = {MakeKey("K_Category", {{0}}, true, true)};
  d.ops = OpsFor<OldCategoryRecord>();
  return d;
}

FileDecl OldCatHtmlDecl() {
  FileDecl d;
  d.label = QStringLiteral("OldCatHTML");
  d.prefix = QStringLiteral("OH");
  d.diskName = QStringLiteral("CATHTML");
  d.fields = {TextField<&OldCatHtmlRecord::Category>("Category"),
              TextField<&OldCatHtmlRecord::TypeOfHTML>("TypeOfHTML")};
  d.memo = MemoField<&OldCatHtmlRecord::HTMLtoAdd>("HTMLtoAdd");
  d.keys = {MakeKey("KeyCategoryHTML", {{0}, {1}}, true, true)};
  d.ops = OpsFor<OldCatHtmlRecord>();
  return d;
}

template <class Rec, Rec &(*Buffer)()> void *BufferOf() {
  return &Buffer();
}

} // namespace

SiteFile::SiteFile(const FileDecl &decl, BufferFn buffer)
    : DataFile(decl, buffer), K_Location(key(0)), K_Description(key(1)), K_Category(key(2)),
      K_CategoryLocation(key(3)), K_Rating(key(4)), K_Keyword(key(5)) {}

CategoriesFile::CategoriesFile(const FileDecl &decl, BufferFn buffer)
    : DataFile(decl, buffer), K_Category(key(0)) {}

CatHtmlFile::CatHtmlFile(const FileDecl &decl, BufferFn buffer)
    : DataFile(decl, buffer), KeyCategoryHTML(key(0)) {}

HistoryFile::HistoryFile(const FileDecl &decl, BufferFn buffer) : DataFile(decl, buffer), KeyType(key(0)) {}

OldSiteFile::OldSiteFile(const FileDecl &decl, BufferFn buffer)
    : DataFile(decl, buffer), K_Location(key(0)), K_Description(key(1)), K_Category(key(2)), K_Rating(key(3)),
      K_Keyword(key(4)) {}

SiteFile &VORNIX() {
  static const FileDecl decl = SiteDecl("VORNIX", "URL", "URL_L");
  static SiteFile file(decl, BufferOf<SiteRecord, URL>);
  return file;
}

CategoriesFile &Categories() {
  static const FileDecl decl = CategoryDecl();
  static CategoriesFile file(decl, BufferOf<CategoryRecord, CAT>);
  return file;
}

CatHtmlFile &CatHTML() {
  static const FileDecl decl = CatHtmlDecl();
  static CatHtmlFile file(decl, BufferOf<CatHtmlRecord, HTM>);
  return file;
}

HistoryFile &History() {
  static const FileDecl decl = HistoryDecl();
  static HistoryFile file(decl, BufferOf<HistoryRecord, HIS>);
  return file;
}

OldSiteFile &OldSites() {
  static const FileDecl decl = OldSiteDecl();
  static OldSiteFile file(decl, BufferOf<OldSiteRecord, OL>);
  return file;
}

CategoriesFile &OldCategories() {
  static const FileDecl decl = OldCategoryDecl();
  static CategoriesFile file(decl, BufferOf<OldCategoryRecord, OC>);
  return file;
}

CatHtmlFile &OldCatHTML() {
  static const FileDecl decl = OldCatHtmlDecl();
  static CatHtmlFile file(decl, BufferOf<OldCatHtmlRecord, OH>);
  return file;
}

SiteFile &MergeSource() {
  static const FileDecl decl = SiteDecl("ILoc", "ILOC", "");
  static SiteFile file(decl, BufferOf<SiteRecord, ILOC>);
  return file;
}

DataLineFile &ASC() {
  static DataLineFile file(QStringLiteral("ASC"), 512);
  return file;
}

DataLineFile &OUT() {
  static DataLineFile file(QStringLiteral("OUT"), 512);
  return file;
}

void TakeFile(DataFile &file) {
  if (file.useCount == 0)
    OpenDataFile(file);
  ++file.useCount;
}

void ReleaseFile(DataFile &file) {
  if (file.useCount > 0 && --file.useCount == 0)
    CLOSE(file);
}

bool TakeUserFile(DataFile &file, FileAccess access) {
  if (file.useCount == 0 && !OpenUserFile(file, access))
    return false;
  ++file.useCount;
  return true;
}

bool TakeUserFile(DataLineFile &file, LineFile::Access access, bool create) {
  if (file.useCount == 0 && !OpenUserFile(file, access, create))
    return false;
  ++file.useCount;
  return true;
}

void ReleaseFile(DataLineFile &file) {
  if (file.useCount > 0 && --file.useCount == 0)
    file.CLOSE();
}

} // namespace vx
