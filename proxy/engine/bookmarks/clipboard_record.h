#pragma once

#include <QByteArray>

#include <memory>

namespace ql {

class TBMInfo;

// A bookmark copied to the clipboard as text: its title and URL for people to read, then a
// Base64 block of its record (TExportItem) between two rules. The record is a 72-byte head
// (the marker "Vosco!", the format numbers 2 and 16, the limits and schedule, the lengths of
// the four texts, the retrieve flags) followed by the URL, title, comments and kill words
// without terminators. User name, password, dates, serial id, generation and the marks are
// not in it.

constexpr int kClipboardHeadSize = 72;
// The Base64 form of the record's marker, which begins the block.
inline constexpr char kClipboardMarkerBase64[] = "Vm9zY28h";
inline constexpr char kClipboardOpeningRule[] =
    "----------------------- Quenlark AutoBrowse Data -----------------------";

// The record of a bookmark: head and texts.
QByteArray ClipboardRecord(const TBMInfo &info);

// The record in Base64, with CR LF after every 72 characters.
QByteArray EncodeClipboardBookmark(const TBMInfo &info);

// The whole clipboard text of a copied bookmark: the title line (when it has a title), the URL
// line and an empty line (when it has a URL), the opening rule, the Base64 block, CR LF and the
// closing rule.
QByteArray ClipboardBookmarkText(const TBMInfo &info);

enum class TClipboardDecode {
  NoMarker,   // the text holds no copied bookmark
  Incomplete, // it holds the marker, but the record is short or its lengths do not fit
  Decoded,
};

// Reads a copied bookmark out of any text: decodes the Base64 from the marker to the end of the
// text (other characters skipped, "=" as 0, an incomplete last group dropped) and checks the
// record: at least the head, every length not negative, their sum within what was decoded.
// Decoded gives a new TBMInfo (new serial id, defaults) with the record's limits, schedule,
// flags and texts; a title of length 0 becomes "New Document".
TClipboardDecode DecodeClipboardBookmark(const QByteArray &text, std::unique_ptr<TBMInfo> &info);

} // namespace ql
