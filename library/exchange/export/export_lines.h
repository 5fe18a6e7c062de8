#pragma once

#include "library/core/records.h"

#include <QString>

namespace vx {

// Pieces of the export's lines.

// A value for an HTML attribute in double quotes: '&', '<' and '"' become entities.
QString AttributeValue(const QString &text);

// A text shown as it is in an HTML page: '&', '<' and '>' become entities, so that a text
// such as "C++ <templates>" reads as written and never becomes markup.
QString HtmlText(const QString &text);

// A site's line of the "ASCII" layout: Category, Location and Description at their full
// widths (30, 255, 100 characters), then the Site Info at its full 1000 when `siteInfo`,
// then the rating when `ratings`, separated by one blank. Line breaks in the texts become
// blanks, so that each site stays on one line.
QString AsciiLine(const SiteRecord &site, bool siteInfo, bool ratings);

// A site's line of the "Comma-Delimited" layout: "Category","Location","Description", then
// "Site Info" when `siteInfo`, then the bare rating when `ratings`. Texts lose their
// trailing blanks; a quote inside a text is doubled and a line break becomes a blank, so
// that a reader splits the line back into the same fields.
QString CommaDelimitedLine(const SiteRecord &site, bool siteInfo, bool ratings);

} // namespace vx
