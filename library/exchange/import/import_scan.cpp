#include "library/exchange/import/import_scan.h"

#include "library/exchange/import/html_entities.h"

#include <array>

namespace vx {

namespace {

constexpr int kLocationWidth = 255;
constexpr int kDescriptionWidth = 100;
constexpr int kSiteInfoWidth = 1000;
constexpr int kCategoryWidth = 30;

bool IsBlank(QChar c) {
  return c == u' ' || c == u'\t';
}

QStringView Lead(QStringView text) {
  qsizetype from = 0;
  while (from < text.size() && IsBlank(text[from]))
    ++from;
  return text.mid(from);
}

// A piece taken from the line: without its leading blanks, decoded when it is HTML, and
// cut to `width` characters.
QString Piece(QStringView text, int width, bool html) {
  return html ? DecodedField(text, width) : Lead(text).left(width).toString();
}

// The characters an address found in plain text may hold: those of web addresses, and
// letters and digits of any script; a blank, a comma, a quote or "<" ends it.
bool IsLocationChar(QChar c) {
  const char16_t u = c.unicode();
  if (u >= 0x80)
    return c.isLetterOrNumber();
  if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9'))
    return true;
  return QStringView(u"-._~:/?#[]@!$&()*+;=%").contains(c);
}

// The rating written after the last quoted field: an optional sign and digits, kept within
// the two digits of the field; 0 when there is no number.
int RatingOf(QStringView text) {
  text = Lead(text);
  bool negative = false;
  if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
    negative = text[0] == u'-';
    text = text.mid(1);
  }
  int value = 0;
  for (qsizetype i = 0; i < text.size() && text[i].isDigit() && text[i].unicode() < 0x80; ++i)
    value = std::min(99, value * 10 + (text[i].unicode() - u'0'));
  return negative ? -value : value;
}

// Reads the quoted field that begins at `at` (on its opening quote), a doubled quote
// standing for one; `at` ends after the closing quote. False when the field is not closed.
bool ReadQuoted(QStringView text, qsizetype &at, QString &field) {
  field.clear();
  qsizetype from = at + 1;
  for (;;) {
    const qsizetype quote = text.indexOf(u'"', from);
    if (quote < 0)
      return false;
    field += text.mid(from, quote - from);
    if (quote + 1 < text.size() && text[quote + 1] == u'"') {
      field += u'"';
      from = quote + 2;
      continue;
    }
    at = quote + 1;
    return true;
  }
}

// Whether the tag at the start of `tag`, which begins with "<h", is a rule (<HR>).
bool IsRule(QStringView tag) {
  if (tag.size() < 3 || (tag[2] != u'r' && tag[2] != u'R'))
    return false;
  return tag.size() == 3 || tag[3] == u'>' || tag[3] == u'/' || IsBlank(tag[3]);
}

qsizetype SkipBlanks(QStringView text, qsizetype at) {
  while (at < text.size() && IsBlank(text[at]))
    ++at;
  return at;
}

} // namespace

QString DecodedField(QStringView html, int width) {
  const QString decoded = DecodeEntities(Lead(html), width);
  return Lead(decoded).left(width).toString();
}

ImportScanner::Rule ImportScanner::RuleOf(const QString &type) {
  switch (type.isEmpty() ? u'\0' : type[0].toUpper().unicode()) {
  case u'H':
    return Rule::Html;
  case u'C':
    return Rule::CommaDelimited;
  case u'A':
    return Rule::AnyText;
  default:
    return Rule::None;
  }
}

void ImportScanner::Scan(QStringView line, std::vector<ImportItem> &items) {
  switch (rule_) {
  case Rule::Html:
    ScanHtml(line, items);
    break;
  case Rule::CommaDelimited:
    ScanCommaDelimited(line, items);
    break;
  case Rule::AnyText:
    ScanAnyText(line, items);
    break;
  case Rule::None:
    break;
  }
}

void ImportScanner::AddSite(ImportItem &&site, std::vector<ImportItem> &items) const {
  if (site.location.isEmpty() || site.location.startsWith(u'#'))
    return;
  site.kind = ImportItem::Kind::Site;
  items.push_back(std::move(site));
}

qsizetype ImportScanner::NextHeading(QStringView text) const {
  qsizetype at = text.indexOf(u"<h", 0, Qt::CaseInsensitive);
  while (bookmarkFile_ && at >= 0 && IsRule(text.mid(at)))
    at = text.indexOf(u"<h", at + 2, Qt::CaseInsensitive);
  return at;
}

qsizetype ImportScanner::NextFolderMark(QStringView text, bool &opens) const {
  if (!bookmarkFile_)
    return -1;
  // "<dl" or "</dl", ended by ">", a blank or the line's end.
  for (qsizetype at = text.indexOf(u"dl", 0, Qt::CaseInsensitive); at >= 0;
       at = text.indexOf(u"dl", at + 2, Qt::CaseInsensitive)) {
    const qsizetype end = at + 2;
    if (end < text.size() && text[end] != u'>' && !IsBlank(text[end]))
      continue;
    if (at >= 1 && text[at - 1] == u'<') {
      opens = true;
      return at - 1;
    }
    if (at >= 2 && text[at - 1] == u'/' && text[at - 2] == u'<') {
      opens = false;
      return at - 2;
    }
  }
  return -1;
}

void ImportScanner::OpenFolder() {
  if (folders_.empty())
    topFolder_ = guess_;
  if (folders_.size() < kDeepestFolder)
    folders_.push_back(guess_);
  else
    ++tooDeep_;
}

void ImportScanner::CloseFolder() {
  if (tooDeep_ > 0)
    --tooDeep_;
  else if (!folders_.empty())
    folders_.pop_back();
  guess_ = folders_.empty() ? topFolder_ : folders_.back();
}

void ImportScanner::ScanHtml(QStringView line, std::vector<ImportItem> &items) {
  if (!bookmarkFile_ && line.contains(u"<!DOCTYPE", Qt::CaseInsensitive) &&
      line.contains(u"-BOOKMARK", Qt::CaseInsensitive))
    bookmarkFile_ = true;
  const QStringView lead = Lead(line);
  if (bookmarkFile_ && lead.startsWith(u"<DD>", Qt::CaseInsensitive)) {
    QStringView info = lead.mid(4);
    const qsizetype br = info.indexOf(u"<BR>", 0, Qt::CaseInsensitive);
    if (br >= 0)
      info = info.left(br);
    ImportItem item;
    item.kind = ImportItem::Kind::SiteInfo;
    item.siteInfo = Piece(info, kSiteInfoWidth, true);
    items.push_back(std::move(item));
  }

  QStringView rest = line;
  for (;;) {
    const qsizetype href = rest.indexOf(u"href", 0, Qt::CaseInsensitive);
    const qsizetype heading = NextHeading(rest);
    bool opens = false;
    const qsizetype folder = NextFolderMark(rest, opens);
    // Headings and folder marks before the link count in the order they come.
    const auto before = [href](qsizetype at) { return at >= 0 && (href < 0 || at < href); };
    if (before(folder) && (heading < 0 || folder < heading)) {
      if (opens)
        OpenFolder();
      else
        CloseFolder();
      rest = rest.mid(folder + 3);
      continue;
    }
    if (before(heading)) {
      // The text after the tag, up to the next tag.
      const QStringView tag = rest.mid(heading);
      const qsizetype end = tag.indexOf(u'>');
      QStringView text = end < 0 ? QStringView() : tag.mid(end + 1);
      const qsizetype next = text.indexOf(u'<');
      if (next >= 0)
        text = text.left(next);
      guess_ = Piece(text, kCategoryWidth, true);
      ImportItem item;
      item.kind = ImportItem::Kind::Heading;
      item.guess = guess_;
      items.push_back(std::move(item));
      rest = rest.mid(heading + 2);
      continue;
    }
    if (href < 0)
      return;
    rest = rest.mid(href);
    const qsizetype open = rest.indexOf(u'"');
    if (open < 0)
      return;
    rest = rest.mid(open + 1);
    const qsizetype close = rest.indexOf(u'"');
    if (close < 0)
      return;
    ImportItem site;
    site.location = Piece(rest.left(close), kLocationWidth, true);
    if (!site.location.contains(u':'))
      continue; // a relative or empty address: the scan goes on inside it
    rest = rest.mid(close + 1);
    const qsizetype tagEnd = rest.indexOf(u'>');
    rest = tagEnd < 0 ? rest.last(0) : rest.mid(tagEnd + 1);
    site.guess = guess_;
    const qsizetype anchorEnd = rest.indexOf(u"</a>", 0, Qt::CaseInsensitive);
    if (anchorEnd >= 0) {
      site.description = Piece(rest.left(anchorEnd), kDescriptionWidth, true);
      const QStringView after = Lead(rest.mid(anchorEnd + 4));
      if (!after.startsWith(u'<'))
        site.siteInfo = Piece(after, kSiteInfoWidth, true);
      rest = rest.mid(anchorEnd + 1);
    } else {
      site.description = Piece(rest, kDescriptionWidth, true);
    }
    AddSite(std::move(site), items);
  }
}

void ImportScanner::ScanCommaDelimited(QStringView line, std::vector<ImportItem> &items) {
  qsizetype at = 0;
  QString field;
  for (;;) {
    guess_ = QStringLiteral("New");
    at = line.indexOf(u'"', at);
    if (at < 0)
      return;
    // Category, location, description and Site Info; further fields are read and left.
    std::array<QString, 4> fields;
    int count = 0;
    int rating = 0;
    for (;;) {
      if (!ReadQuoted(line, at, field))
        return; // a quote that is never closed ends the line
      if (count < int(fields.size()))
        fields[size_t(count)] = field;
      ++count;
      at = SkipBlanks(line, at);
      if (at >= line.size() || line[at] != u',')
        break;
      at = SkipBlanks(line, at + 1);
      if (at >= line.size() || line[at] != u'"') {
        rating = RatingOf(line.mid(at));
        break;
      }
    }
    if (count < 3)
      continue; // no record here; a later quote may begin one
    guess_ = Piece(fields[0], kCategoryWidth, false);
    ImportItem site;
    site.guess = guess_;
    site.location = Piece(fields[1], kLocationWidth, false);
    site.description = Piece(fields[2], kDescriptionWidth, false);
    site.siteInfo = Piece(fields[3], kSiteInfoWidth, false);
    site.rating = rating;
    const bool skipped = site.location.isEmpty() || site.location.startsWith(u'#');
    AddSite(std::move(site), items);
    if (!skipped)
      return;
  }
}

void ImportScanner::ScanAnyText(QStringView line, std::vector<ImportItem> &items) {
  // The markers: "a href" in any case, then the schemes as written. Each one's next place
  // is searched again only once the scan has passed it.
  static constexpr std::array<QStringView, 7> kMarkers = {u"a href",    u"http://", u"https://", u"ftp://",
                                                          u"telnet://", u"news://", u"gopher://"};
  std::array<qsizetype, kMarkers.size()> next{};
  next.fill(-2);
  qsizetype from = 0;
  for (;;) {
    qsizetype start = -1;
    size_t first = 0;
    for (size_t i = 0; i < kMarkers.size(); ++i) {
      if (next[i] == -2 || (next[i] >= 0 && next[i] < from))
        next[i] = line.indexOf(kMarkers[i], from, i == 0 ? Qt::CaseInsensitive : Qt::CaseSensitive);
      if (next[i] >= 0 && (start < 0 || next[i] < start)) {
        start = next[i];
        first = i;
      }
    }
    if (start < 0)
      return;
    qsizetype begin = start;
    if (first == 0) { // after "a href", an "=" and an opening quote
      begin = SkipBlanks(line, start + kMarkers[0].size());
      if (begin < line.size() && line[begin] == u'=')
        begin = SkipBlanks(line, begin + 1);
      if (begin < line.size() && (line[begin] == u'"' || line[begin] == u'\''))
        ++begin;
    }
    qsizetype end = begin;
    while (end < line.size() && IsLocationChar(line[end]))
      ++end;
    from = std::max(end < line.size() ? end + 1 : end, start + 1);
    ImportItem site;
    site.location = line.mid(begin, end - begin).left(kLocationWidth).toString();
    if (!site.location.contains(u':'))
      continue;
    const QStringView rest = line.mid(from);
    site.description = Piece(rest, kDescriptionWidth, false);
    site.siteInfo = Piece(rest, kSiteInfoWidth, false);
    site.guess = guess_;
    AddSite(std::move(site), items);
  }
}

} // namespace vx
