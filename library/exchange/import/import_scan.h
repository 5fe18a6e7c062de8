#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace vx {

// What the import finds on one line of its input, in the order found.
struct ImportItem {
  enum class Kind {
    Site,     // a site to add: location, description, Site Info, rating, the guess
    SiteInfo, // a bookmark file's <DD> line: Site Info for the site added last (siteInfo)
    Heading,  // a heading tag, which made `guess` the new guess
  };
  Kind kind = Kind::Site;
  QString location;    // at most 255 characters
  QString description; // at most 100
  QString siteInfo;    // at most 1000
  int rating = 0;      // -99 to 99
  QString guess;       // the category guessed for the site, at most 30 characters
};

// The import's reading of its input, line by line, by one of three rules:
//
// - Html: every anchor's href that holds a ":" is a site, its anchor text the description
//   and the text after "</a>" its Site Info; each tag beginning with "<h" (any heading,
//   rule, head or html tag) makes the text after it the guess for the links that follow.
//   In a browser's bookmark file (a "<!DOCTYPE" line naming "-BOOKMARK"), a <DD> line is
//   the Site Info of the site before it, and a separator (<HR>) is no heading: the links
//   after it keep their folder's category. There each <DL> opens the folder of the heading
//   before it and its </DL> closes it, so that a link after a closed sub-folder goes to
//   the folder that holds it, and one at the top level to the heading before the first
//   <DL> (the file's title, such as "Bookmarks Menu"). Character references are decoded once.
// - CommaDelimited: the lines of the export's "Comma-Delimited" layout: quoted fields with
//   quotes doubled, category, location, description and Site Info, then the rating after
//   the last quoted field.
// - AnyText: each address that begins with "http://", "https://", "ftp://", "telnet://",
//   "news://", "gopher://" or follows "a href", with the rest of its line as description and
//   Site Info.
//
// Pieces lose their leading blanks and are cut to their fields' widths. A location that is
// blank or begins with "#" is never a site. A line whose quotes or separators are missing
// ends its scan there.
class ImportScanner {
public:
  enum class Rule { None, Html, CommaDelimited, AnyText };

  // The rule of the import type, by its first character in any case: "H", "C" or "A";
  // None for any other, which finds nothing.
  static Rule RuleOf(const QString &type);

  explicit ImportScanner(Rule rule) : rule_(rule) {}

  // Appends what `line` holds to `items`.
  void Scan(QStringView line, std::vector<ImportItem> &items);

  // Whether the lines so far showed a browser's bookmark file.
  bool bookmarkFile() const { return bookmarkFile_; }

private:
  void ScanHtml(QStringView line, std::vector<ImportItem> &items);
  void ScanCommaDelimited(QStringView line, std::vector<ImportItem> &items);
  void ScanAnyText(QStringView line, std::vector<ImportItem> &items);
  void AddSite(ImportItem &&site, std::vector<ImportItem> &items) const;
  // Where the first heading tag of `text` begins; -1 when there is none.
  qsizetype NextHeading(QStringView text) const;
  // In a bookmark file, where the first <DL> or </DL> of `text` begins (`opens` tells
  // which); -1 when there is none or the file is no bookmark file.
  qsizetype NextFolderMark(QStringView text, bool &opens) const;
  void OpenFolder();
  void CloseFolder();

  // Folders nested deeper than this are counted, not named: their links go to the deepest
  // folder named.
  static constexpr size_t kDeepestFolder = 256;

  Rule rule_;
  bool bookmarkFile_ = false;
  QString guess_;
  std::vector<QString> folders_; // the name of each open folder, outermost first
  QString topFolder_;            // the outermost folder's, for links after it closes
  qsizetype tooDeep_ = 0;
};

// A piece of HTML as the text of a field `width` characters wide, as the import reads it:
// without the blanks before it, its character references decoded, cut to `width`. The
// clipboard monitor reads a copied heading and a link's description so too.
QString DecodedField(QStringView html, int width);

} // namespace vx
