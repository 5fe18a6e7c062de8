#include "library/exchange/import/import_categories.h"

#include "library/core/dictionary.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/language/string_functions.h"

namespace vx {

QString CategoryOrNew(const QString &category) {
  return CLIP(LEFT(category)).isEmpty() ? QStringLiteral("New") : category;
}

bool ImportCategories::Resolve(const QString &name, QString &stored) {
  const QString clipped = CLIP(LEFT(name)).left(CAT().Category.width);
  if (clipped.isEmpty()) {
    stored.clear();
    return true;
  }
  const QString key = UPPER(clipped);
  const auto known = known_.constFind(key);
  if (known != known_.cend()) {
    stored = *known;
    return true;
  }
  CategoriesFile &file = Categories();
  CLEAR(file);
  CAT().Category = clipped;
  GET(file.K_Category);
  if (ERRORCODE() == 0) {
    stored = CAT().Category.clipped();
  } else {
    CLEAR(file);
    CAT().Category = clipped;
    CAT().Description.clear();
    ADD(file);
    if (ERRORCODE() != 0)
      return false;
    ++added_;
    stored = clipped;
  }
  known_.insert(key, stored);
  return true;
}

} // namespace vx
