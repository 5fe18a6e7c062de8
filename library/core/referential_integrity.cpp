#include "library/core/referential_integrity.h"

#include "library/core/dictionary.h"
#include "library/core/standard_messages.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/sort_key.h"
#include "library/runtime/data/transaction.h"
#include "library/runtime/windows/thread_store.h"

namespace vx {

namespace {

constexpr int kLogoutSeconds = 2;
const char kSitesLabel[] = "VORNIX";

struct SavedCategoryKey {
  FixedString<30> name;
};

// Keeps the error, rolls the transaction back, then shows the message.
void Fail(int message, const QString &text1, const QString &text2 = {}) {
  SaveErrorState();
  ROLLBACK();
  ShowStandardMessage(message, text1, text2);
}

void FailUpdate(const QString &label) {
  Fail(15, ERRORCODE() == 89 ? QStringLiteral("Record Changed by Another Station") : label);
}

// Reads the record last read again by its pointer: a record left out of a key (a blank
// name) cannot be found again through that key.
bool Reread(KeyedFile &file, qint64 pointer) {
  if (pointer == 0) {
    SetError(35, file.name());
    return false;
  }
  GET(file, pointer);
  return ERRORCODE() == 0;
}

// Deletes the record just reread and commits the transaction: 0 when done, else 1 after
// message 17, with the transaction rolled back.
int DeleteAndCommit(KeyedFile &file, const QString &label) {
  DELETE(file);
  if (ERRORCODE() == 0)
    COMMIT();
  if (ERRORCODE() != 0) {
    Fail(17, label);
    return 1;
  }
  return 0;
}

bool SameCategoryIgnoringCase(const QString &a, const QString &b) {
  return KeyText(a, 30) == KeyText(b, 30);
}

// Walks a child file from the first child of `name` in `key` (whose first component is the
// category) while the child's category is `name` in any letter case: the keys, the lists and
// the forms treat those as one category, so a delete or a rename acts on all of them alike.
// `act` is called for each child and returns false after reporting a failure.
template <class Act>
bool ForEachChild(KeyedFile &file, const Key &key, FixedString<30> &category, const QString &name,
                  const QString &label, Act act) {
  CLEAR(file);
  category = name;
  SET(key, key);
  for (;;) {
    NEXT(file);
    if (ERRORCODE() == 33)
      return true;
    if (ERRORCODE() != 0) {
      Fail(35, label);
      return false;
    }
    if (!SameCategoryIgnoringCase(category, name))
      return true;
    if (!act())
      return false;
  }
}

bool DeleteChildren(KeyedFile &file, const Key &key, FixedString<30> &category, const QString &name,
                    const QString &label) {
  return ForEachChild(file, key, category, name, label, [&] {
    DELETE(file);
    if (ERRORCODE() != 0) {
      Fail(17, label);
      return false;
    }
    return true;
  });
}

bool RenameChildren(KeyedFile &file, const Key &key, FixedString<30> &category, const QString &oldName,
                    const QString &newName, const QString &label) {
  return ForEachChild(file, key, category, oldName, label, [&] {
    category = newName;
    PUT(file);
    if (ERRORCODE() != 0) {
      FailUpdate(label);
      return false;
    }
    return true;
  });
}

int DeleteSingle(KeyedFile &file, const QString &label) {
  const qint64 pointer = POINTER(file);
  LOGOUT(kLogoutSeconds, {&file});
  if (ERRORCODE() != 0) {
    ShowStandardMessage(34, QStringLiteral("Delete"), label);
    return 1;
  }
  if (!Reread(file, pointer)) {
    Fail(17, label);
    return 1;
  }
  return DeleteAndCommit(file, label);
}

int UpdateSingle(KeyedFile &file, const QString &label) {
  LOGOUT(kLogoutSeconds, {&file});
  if (ERRORCODE() != 0) {
    ShowStandardMessage(34, QStringLiteral("Update"), label);
    return 1;
  }
  PUT(file);
  if (ERRORCODE() == 0)
    COMMIT();
  if (ERRORCODE() != 0) {
    FailUpdate(label);
    return 1;
  }
  return 0;
}

// Holds the two child files of a category through their use counts for one operation.
class ChildFiles {
public:
  ChildFiles() {
    TakeFile(CatHTML());
    TakeFile(VORNIX());
  }
  ~ChildFiles() {
    ReleaseFile(CatHTML());
    ReleaseFile(VORNIX());
  }
  ChildFiles(const ChildFiles &) = delete;
  ChildFiles &operator=(const ChildFiles &) = delete;
};

} // namespace

int DeleteSiteRecord() {
  return DeleteSingle(VORNIX(), QString::fromLatin1(kSitesLabel));
}

int UpdateSiteRecord() {
  return UpdateSingle(VORNIX(), QString::fromLatin1(kSitesLabel));
}

int DeleteCatHTMLRecord() {
  return DeleteSingle(CatHTML(), CatHTML().label());
}

int UpdateCatHTMLRecord() {
  return UpdateSingle(CatHTML(), CatHTML().label());
}

int DeleteCategoryRecord() {
  const QString label = Categories().label();
  const qint64 pointer = POINTER(Categories());
  ChildFiles children;
  LOGOUT(kLogoutSeconds, {&Categories(), &CatHTML(), &VORNIX()});
  if (ERRORCODE() != 0) {
    ShowStandardMessage(34, QStringLiteral("Delete"), label);
    return 1;
  }
  if (!Reread(Categories(), pointer)) {
    Fail(17, label);
    return 1;
  }
  const QString name = CAT().Category.text();
  if (!DeleteChildren(CatHTML(), CatHTML().KeyCategoryHTML, HTM().Category, name, CatHTML().label()) ||
      !DeleteChildren(VORNIX(), VORNIX().K_Category, URL().Category, name, QString::fromLatin1(kSitesLabel)))
    return 1;
  return DeleteAndCommit(Categories(), label);
}

int UpdateCategoryRecord() {
  return UpdateCategoryRecord(PerThread<SavedCategoryKey>().name.text());
}

int UpdateCategoryRecord(const QString &savedKey) {
  const QString label = Categories().label();
  ChildFiles children;
  LOGOUT(kLogoutSeconds, {&Categories(), &CatHTML(), &VORNIX()});
  if (ERRORCODE() != 0) {
    ShowStandardMessage(34, QStringLiteral("Update"), label);
    return 1;
  }
  PUT(Categories());
  if (ERRORCODE() != 0) {
    FailUpdate(label);
    return 1;
  }
  const FixedString<30> oldKey(savedKey);
  const QString oldName = oldKey.text();
  const QString newName = CAT().Category.text();
  if (!oldKey.isBlank() && !(oldKey == CAT().Category)) {
    if (!RenameChildren(CatHTML(), CatHTML().KeyCategoryHTML, HTM().Category, oldName, newName,
                        CatHTML().label()) ||
        !RenameChildren(VORNIX(), VORNIX().K_Category, URL().Category, oldName, newName,
                        QString::fromLatin1(kSitesLabel)))
      return 1;
  }
  COMMIT();
  if (ERRORCODE() != 0) {
    FailUpdate(label);
    return 1;
  }
  return 0;
}

void SaveCategoryKey() {
  PerThread<SavedCategoryKey>().name = CAT().Category;
}

} // namespace vx
