#pragma once

#include <QString>
#include <vector>

namespace vx {

// The most of the clipboard's text that the monitor takes and scans.
constexpr int kClipboardTextLength = 2000;

// A web address found in copied text, with what the text says about it. Texts are cut to
// the widths of the site record and have no leading white space.
struct ClipboardSite {
  QString location;    // never blank, holds ":"; at most 255 characters
  QString description; // blank when the text gave none; at most 100
  QString category;    // "Clipboard", or the text of the heading before a link; at most 30
  QString siteInfo;    // at most 1000
  QString keyword;     // the scheme before "://", else "mailto:" or "?"; at most 10
};

// Finds the addresses in the first 2000 characters of copied text, in the order they come,
// one a pass:
// - A link of HTML ("href" without regard to case): the address is the text between the
//   next two double quotes; a heading tag before it ("<h" followed, one character on, by
//   ">" or " ADD") names its category with the text after the tag up to the next "<".
// - Otherwise, in plain text: the first "http://" or "https://", else "ftp://", else
//   "telnet://", else "mailto:" in the text that is left; else "www.", which gets "http://"
//   in front. The address ends at the first white space or at the end of the text; one that
//   the 2000 characters cut off (the text goes on after the cut without white space) ends
//   the scan unused.
// After the address, and after the next ">" when there is one, the text up to "</a>" is the
// description and the text after it the Site Info (blank when it begins with a tag); with
// no "</a>", all the rest is the description, and the next pass scans it again. A heading's
// text and a link's description have their character references decoded, as the import
// decodes them. Addresses that are blank, hold no ":", or name no host after "http://",
// "https://", "ftp://" or "telnet://" are left out. Every pass moves past what it scanned,
// so the scan always ends.
std::vector<ClipboardSite> FindClipboardSites(const QString &text);

} // namespace vx
