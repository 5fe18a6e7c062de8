#pragma once

#include <QString>

namespace vx {

// The import settings: what the Import window chose and the import reads. Each is kept
// under the key of the same name in section "Import" of VORNIX.INI.
struct ImportSettings {
  QString Name;       // 255 characters: the file to import
  QString Type;       // 20: "HTML Document", "Comma-delimited file" or "Any ASCII text file";
                      // only the first letter counts, in any case
  QString Categories; // 20: "Make Best Guess", "Ask for Each URL" or "Selected Category"; only
                      // the first letter counts: "M", "A", anything else the selected category
  QString Category;   // 30: the category every site gets when Categories is "Selected Category"
};

// The program's import settings: the Import window reads them from VORNIX.INI, the user
// changes them there, and each import run is made with them. Blank until the first Import
// window of the program's run has read them.
ImportSettings &ProgramImportSettings();

// Reads the settings from section "Import" of VORNIX.INI, in the order Name, Type,
// Categories, Category; a missing key keeps the value `settings` holds. Texts are cut to
// their widths; a blank Type becomes "HTML Document" and blank Categories "Make Best Guess".
void ReadImportSettings(ImportSettings &settings);

// Writes the four settings to section "Import" of VORNIX.INI in one replacement of the file.
void WriteImportSettings(const ImportSettings &settings);

} // namespace vx
