#include "library/exchange/file_lists.h"

#include "library/core/dictionary.h"
#include "library/core/standard_messages.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_view.h"
#include "library/runtime/language/string_functions.h"

#include <algorithm>
#include <functional>

namespace vx {

namespace {

// Reads `view` to its end, collecting `field` of each record.
bool ReadTexts(View &view, const QString &label, const std::function<QString()> &field, QStringList &names) {
  names.clear();
  view.setPhysicalOrder();
  SET(view);
  OPEN(view);
  if (ERRORCODE() != 0) {
    ShowStandardMessage0(36);
    return true;
  }
  bool ok = true;
  for (;;) {
    NEXT(view);
    if (ERRORCODE() == 33)
      break;
    if (ERRORCODE() != 0) {
      ShowStandardMessage1(35, label);
      ok = false;
      break;
    }
    names << field();
  }
  CLOSE(view);
  std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
    const QString ua = UPPER(a), ub = UPPER(b);
    return ua != ub ? ua < ub : a < b;
  });
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return ok;
}

} // namespace

bool ReadHistoryNames(const QString &type, QStringList &names) {
  View view(History());
  view.setFilter(RecordFilter<HistoryRecord>(
      [type](const HistoryRecord &record) { return record.Type.clipped() == type; }));
  return ReadTexts(
      view, QStringLiteral("History"), [] { return HIS().FieldContents.clipped(); }, names);
}

bool ReadCategoryNames(QStringList &names) {
  View view(Categories());
  return ReadTexts(
      view, QStringLiteral("Categories"), [] { return CAT().Category.clipped(); }, names);
}

} // namespace vx
