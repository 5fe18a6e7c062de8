#include "library/exchange/import/import_settings.h"

#include "library/runtime/data/ini_file.h"

namespace vx {

namespace {

const QString kSection = QStringLiteral("Import");

void ReadText(const char *key, QString &value, int width) {
  value = GETINI(kSection, QLatin1String(key), value).left(width);
}

} // namespace

ImportSettings &ProgramImportSettings() {
  static ImportSettings settings;
  return settings;
}

void ReadImportSettings(ImportSettings &settings) {
  ReadText("Name", settings.Name, 255);
  ReadText("Type", settings.Type, 20);
  ReadText("Categories", settings.Categories, 20);
  ReadText("Category", settings.Category, 30);
  if (settings.Type.trimmed().isEmpty())
    settings.Type = QStringLiteral("HTML Document");
  if (settings.Categories.trimmed().isEmpty())
    settings.Categories = QStringLiteral("Make Best Guess");
}

void WriteImportSettings(const ImportSettings &settings) {
  IniWriteBatch batch;
  PUTINI(kSection, QStringLiteral("Name"), settings.Name);
  PUTINI(kSection, QStringLiteral("Type"), settings.Type);
  PUTINI(kSection, QStringLiteral("Categories"), settings.Categories);
  PUTINI(kSection, QStringLiteral("Category"), settings.Category);
}

} // namespace vx
