#pragma once

#include <QString>
#include <QtGlobal>

namespace vx {

// The export settings: what the Export window chose and the export writer reads. Each is
// kept under the key of the same name in section "Export" of VORNIX.INI.
struct ExportSettings {
  QString Name;        // 255 characters: the main output file, as typed or chosen
  QString Type;        // 15: "HTML - Table", "HTML - Simple", "HTML - Frame", "ASCII" or "Comma-Delimited"
  QString Categories;  // 20: "Selected" exports the one category below; anything else all of them
  QString Category;    // 30: the category exported when Categories is "Selected"
  quint8 SiteInfo = 0; // non-zero: each site's Site Info is written
  quint8 Ratings = 0;  // non-zero: each site's rating is written
  QString Order;       // 14: "Description" orders each category's sites by description, else by location
};

// The program's export settings: the Export window reads them from VORNIX.INI, the user
// changes them there, and the export run reads them. Blank, the switches 0, until the first
// Export window of the program's run has read them.
ExportSettings &ProgramExportSettings();

// Reads the settings from section "Export" of VORNIX.INI, in the order Name, Type,
// Categories, Category, SiteInfo, Ratings, Order; a missing key keeps the value `settings`
// holds. Texts are cut to their widths; a blank Order becomes "Location".
void ReadExportSettings(ExportSettings &settings);

// Writes the seven settings to section "Export" of VORNIX.INI in one replacement of the
// file, the two switches as "1" or "0".
void WriteExportSettings(const ExportSettings &settings);

} // namespace vx
