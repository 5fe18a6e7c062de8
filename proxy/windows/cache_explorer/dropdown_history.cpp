#include "proxy/windows/cache_explorer/dropdown_history.h"

#include "proxy/platform/reg_ini_file.h"

namespace ql {

namespace {

const QString kSection = QStringLiteral("Filter");
const QString kNoData = QStringLiteral("!!NO_DATA");
constexpr int kPositions = 8;

QString ValueName(const QString &box, int position) {
  return box + QLatin1Char(' ') + QString::number(position);
}

} // namespace

void AddToDropdownList(QStringList &list, const QString &text) {
  if (text.isEmpty())
    return;
  const qsizetype at = list.indexOf(text);
  if (at == 0)
    return;
  if (at > 0)
    list.removeAt(at);
  list.prepend(text);
  while (list.size() > kHistoryLength)
    list.removeLast();
}

QStringList ReadDropdownList(const TRegIniFile &settings, const QString &box) {
  QStringList list;
  for (int position = 0; position < kPositions; ++position) {
    const QString value = settings.ReadString(kSection, ValueName(box, position), kNoData);
    if (!value.isEmpty() && value != kNoData)
      list << value;
  }
  return list;
}

void WriteDropdownList(TRegIniFile &settings, const QString &box, const QStringList &list) {
  try {
    for (int position = 0; position < kPositions; ++position)
      settings.WriteString(kSection, ValueName(box, position), list.value(position));
  } catch (const RegistryError &) {
    // The history is kept for this run only.
  }
}

} // namespace ql
