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
};

inline constexpr std::array<TGridColumn, 8> kGridColumns{{
    {"CheckBox1", "URL", "URL", true},
    {"CheckBox2", "Document title", "Title", true},
    {"CheckBox3", "Mime type", "Mime type", false},
    {"CheckBox4", "Cache file type", "Entry type", false},
    {"CheckBox5", "Last retrieved", "Last retrieved", false},
    {"CheckBox6", "Last accessed", "Last accessed", false},
    {"CheckBox7", "Hits", "Hits", false},
    {"CheckBox8", "Length", "Length", false},
}};

inline const QString kCacheExplorerProperties = QStringLiteral("Cache Explorer Properties");

} // namespace ql
