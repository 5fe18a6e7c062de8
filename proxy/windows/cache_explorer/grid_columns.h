#pragma once

#include <QString>

#include <array>

namespace ql {

// The eight columns the Cache Explorer can show, in the order they always appear, with the
// Select Headers box (and setting) of each under "Cache Explorer Properties".
struct TGridColumn {
  const char *box;     // the box's name and setting: "CheckBox1" ... "CheckBox8"
  const char *caption; // the box's caption
  const char *heading; // the column's heading
  bool byDefault;      // checked when the setting is missing
  int width;           // the column's width in pixels until the user sizes it
};

inline constexpr std::array<TGridColumn, 8> kGridColumns{{
    {"CheckBox1", "URL", "URL", true, 320},
    {"CheckBox2", "Document title", "Title", true, 220},
    {"CheckBox3", "Mime type", "Mime type", false, 120},
    {"CheckBox4", "Cache file type", "Entry type", false, 80},
    {"CheckBox5", "Last retrieved", "Last retrieved", false, 100},
    {"CheckBox6", "Last accessed", "Last accessed", false, 100},
    {"CheckBox7", "Hits", "Hits", false, 50},
    {"CheckBox8", "Length", "Length", false, 80},
}};

inline const QString kCacheExplorerProperties = QStringLiteral("Cache Explorer Properties");

} // namespace ql
