#include "library/exchange/export/export_settings.h"

#include "library/runtime/data/ini_file.h"

namespace vx {

namespace {

const QString kSection = QStringLiteral("Export");

void ReadText(const char *key, QString &value, int width) {
  value = GETINI(kSection, QLatin1String(key), value).left(width);
}

void ReadSwitch(const char *key, quint8 &value) {
  value =
      quint8(qBound(0, GETINI(kSection, QLatin1String(key), QString::number(value)).trimmed().toInt(), 255));
}

QString SwitchText(quint8 value) {
  return value ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

ExportSettings &ProgramExportSettings() {
  static ExportSettings settings;
  return settings;
}

void ReadExportSettings(ExportSettings &settings) {
  ReadText("Name", settings.Name, 255);
  ReadText("Type", settings.Type, 15);
  ReadText("Categories", settings.Categories, 20);
  ReadText("Category", settings.Category, 30);
  ReadSwitch("SiteInfo", settings.SiteInfo);
  ReadSwitch("Ratings", settings.Ratings);
  ReadText("Order", settings.Order, 14);
  if (settings.Order.trimmed().isEmpty())
    settings.Order = QStringLiteral("Location");
}

void WriteExportSettings(const ExportSettings &settings) {
  IniWriteBatch batch;
  PUTINI(kSection, QStringLiteral("Name"), settings.Name);
  PUTINI(kSection, QStringLiteral("Type"), settings.Type);
  PUTINI(kSection, QStringLiteral("Categories"), settings.Categories);
  PUTINI(kSection, QStringLiteral("Category"), settings.Category);
  PUTINI(kSection, QStringLiteral("SiteInfo"), SwitchText(settings.SiteInfo));
  PUTINI(kSection, QStringLiteral("Ratings"), SwitchText(settings.Ratings));
  PUTINI(kSection, QStringLiteral("Order"), settings.Order);
}

} // namespace vx
