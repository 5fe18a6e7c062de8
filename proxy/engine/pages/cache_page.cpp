#include "proxy/engine/pages/cache_page.h"

#include "proxy/engine/cache/cache_list_sort.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/html/html_escape.h"
#include "proxy/engine/http/request_line.h"
#include "proxy/engine/http/url_parts.h"
#include "proxy/engine/http/url_split.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/own_addresses.h"
#include "proxy/engine/pages/page_token.h"
#include "proxy/engine/pages/query_string.h"
#include "proxy/engine/search/cache_search.h"
#include "proxy/engine/search/filter_dates.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"

namespace ql {

namespace {

const QString kSection = QStringLiteral("HTML Cache Explorer Properties");
constexpr qsizetype kDateMax = 20;
constexpr qsizetype kTextMax = 50;

// A date box of the search: a date word or an age becomes the date it means; a text that is
// not a date empties the box.
QByteArray DateField(const QByteArray &text) {
  const QString converted = SpecialDateConversion(QString::fromLatin1(text), Now());
  TDateTime value = 0;
  if (converted.isEmpty() || !StrToDateTime(converted, &value))
    return {};
  return converted.toLatin1().left(kDateMax);
}

bool Flag(const char *key, const QByteArray &query) {
  return GetQueryParam(key, query) == "y";
}

// The class of an entry by its MIME type: its icon and its type key.
struct TKind {
  const char *icon;
  const char *key;
};

TKind KindOf(const QByteArray &mime) {
  const QByteArray lower = mime.toLower();
  if (lower.startsWith("text/"))
    return {"text.gif", "text"};
  if (lower.startsWith("image/"))
    return {"image.gif", "images"};
  if (lower.startsWith("audio/"))
    return {"audio.gif", "audio"};
  if (lower.startsWith("video/"))
    return {"video.gif", "video"};
  return {"other.gif", "other"};
}

QByteArray HostOf(const QByteArray &url) {
  QByteArray text = url;
  QByteArray host;
  UrlSplitHost(text, host);
  return host;
}

QByteArray Checked(bool on) {
  return on ? " CHECKED" : "";
}

} // namespace

TCachePageOptions ReadCachePageOptions(const TRegIniFile &settings) {
  TCachePageOptions options;
  options.SortDirection = settings.ReadInteger(kSection, QStringLiteral("SortDirection"), 0) == 0 ? 0 : 1;
  const int sortedBy = settings.ReadInteger(kSection, QStringLiteral("SortedBy"), 1);
  options.SortedBy = sortedBy == 2 || sortedBy == 3 ? sortedBy : 1;
  options.MatchCase = settings.ReadBool(kSection, QStringLiteral("MatchCase"), false);
  options.ShowImages = settings.ReadBool(kSection, QStringLiteral("ShowImages"), false);
  return options;
}

TCachePage::TCachePage(TProxyCache &cache, TRegIniFile &settings)
    : cache_(cache), settings_(settings), results_(cache.Index()) {}

TCachePage::TFlags TCachePage::ReadFlags() const {
  TFlags f;
  f.options = ReadCachePageOptions(settings_);
  f.Text = settings_.ReadBool(kSection, QStringLiteral("Text"), true);
  f.Images = settings_.ReadBool(kSection, QStringLiteral("Images"), false);
  f.Video = settings_.ReadBool(kSection, QStringLiteral("Video"), false);
  f.Audio = settings_.ReadBool(kSection, QStringLiteral("Audio"), false);
  f.Other = settings_.ReadBool(kSection, QStringLiteral("Other"), false);
  return f;
}

void TCachePage::WriteFlags(const TFlags &old, const TFlags &now) {
  // Each write saves the registry file: only what changed is written.
  const auto put = [&](const char *name, bool was, bool is) {
    if (was != is)
      settings_.WriteBool(kSection, QString::fromLatin1(name), is);
  };
  try {
    put("Text", old.Text, now.Text);
    put("Images", old.Images, now.Images);
    put("Video", old.Video, now.Video);
    put("Audio", old.Audio, now.Audio);
    put("Other", old.Other, now.Other);
    put("MatchCase", old.options.MatchCase, now.options.MatchCase);
    put("ShowImages", old.options.ShowImages, now.options.ShowImages);
    if (old.options.SortDirection != now.options.SortDirection)
      settings_.WriteInteger(kSection, QStringLiteral("SortDirection"), now.options.SortDirection);
    if (old.options.SortedBy != now.options.SortedBy)
      settings_.WriteInteger(kSection, QStringLiteral("SortedBy"), now.options.SortedBy);
  } catch (const RegistryError &) {
  }
}

void TCachePage::Search(const TFlags &flags) {
  TSearch search;
  search.FromDate = from_;
  search.ToDate = to_;
  search.TitleText = title_;
  search.UrlText = url_;
  search.HtmlText = html_;
  search.MatchCase = flags.options.MatchCase;
  search.ApplyToCurrent = false;
  search.Text = flags.Text;
  search.Images = flags.Images;
  search.Video = flags.Video;
  search.Audio = flags.Audio;
  search.Other = flags.Other;
  SearchCache(cache_.Store(), cache_.Mimes(), nullptr, search, results_);
  sortedAs_ = -1;
}

void TCachePage::Sort(const TCachePageOptions &options) {
  const int order = options.SortedBy * 2 + options.SortDirection;
  if (order == sortedAs_)
    return;
  sortedAs_ = order;
  results_.Change([&](TCacheList &list) {
    if (options.SortedBy == 2)
      SortCacheListByTitle(list, options.SortDirection, EngineSettings.ShowFilenames);
    else if (options.SortedBy == 3)
      SortCacheListByDate(list, options.SortDirection);
    else
      SortCacheListByUrl(list, options.SortDirection);
  });
}

QByteArray TCachePage::RememberedQuery(const TFlags &flags) const {
  QByteArray query = "&title=" + EncodeQueryValue(title_);
  if (flags.Other)
    query += "&other=y";
  if (flags.Text)
    query += "&text=y";
  if (flags.Images)
    query += "&images=y";
  if (flags.Video)
    query += "&video=y";
  if (flags.Audio)
    query += "&audio=y";
  query += "&from=" + EncodeQueryValue(from_) + "&url=" + EncodeQueryValue(url_) +
           "&to=" + EncodeQueryValue(to_) + "&html=" + EncodeQueryValue(html_);
  if (flags.options.MatchCase)
    query += "&case=y";
  return query;
}

QByteArray TCachePage::Answer(const QByteArray &rest, bool writeSettings) {
  const TFlags old = ReadFlags();
  TFlags flags = old;
  QByteArray queryRest;
  const qsizetype mark = rest.indexOf('?');
  if (mark >= 0) {
    const QByteArray query = '&' + rest.mid(mark + 1);
    bool ok = false;
    const int page = GetQueryParam("page", query).toInt(&ok);
    page_ = ok ? page : 1;
    const qsizetype pageKey = query.indexOf("&page=");
    if (pageKey < 0) {
      queryRest = query;
    } else {
      const qsizetype next = query.indexOf('&', pageKey + 1);
      queryRest = next < 0 ? QByteArray() : query.mid(next);
    }

    flags.options.SortDirection = GetQueryParam("order", query) == "a" ? 0 : 1;
    const QByteArray sort = GetQueryParam("sort", query);
    flags.options.SortedBy = sort == "t" ? 2 : sort == "d" ? 3 : 1;
    bool orderChanged = flags.options.SortDirection != old.options.SortDirection ||
                        flags.options.SortedBy != old.options.SortedBy;

    flags.options.MatchCase = Flag("case", query);
    flags.Other = Flag("other", query);
    flags.Text = Flag("text", query);
    flags.Images = Flag("images", query);
    flags.Video = Flag("video", query);
    flags.Audio = Flag("audio", query);
    flags.options.ShowImages = Flag("showimages", query);
    if (!flags.Other && !flags.Text && !flags.Images && !flags.Video && !flags.Audio)
      flags.Text = true;
    bool criteriaChanged = flags.Other != old.Other || flags.Text != old.Text || flags.Images != old.Images ||
                           flags.Video != old.Video || flags.Audio != old.Audio ||
                           flags.options.MatchCase != old.options.MatchCase ||
                           flags.options.ShowImages != old.options.ShowImages;

    const auto take = [&](QByteArray &field, const QByteArray &value) {
      if (field != value) {
        field = value;
        criteriaChanged = true;
      }
    };
    take(from_, DateField(GetQueryParam("from", query).left(kDateMax)));
    take(to_, DateField(GetQueryParam("to", query).left(kDateMax)));
    take(title_, GetQueryParam("title", query).left(kTextMax));
    take(url_, GetQueryParam("url", query).left(kTextMax));
    take(html_, GetQueryParam("html", query).left(kTextMax));

    if (criteriaChanged || stale_) {
      stale_ = false;
      Search(flags);
      orderChanged = true;
    }
    if (orderChanged)
      Sort(flags.options);
  } else {
    queryRest = RememberedQuery(flags);
    if (results_.Count() == 0 || stale_) {
      stale_ = false;
      Search(flags);
    }
    Sort(flags.options);
    queryRest += flags.options.SortedBy == 2   ? "&sort=t"
                 : flags.options.SortedBy == 3 ? "&sort=d"
                                               : "&sort=u";
    queryRest += flags.options.SortDirection == 0 ? "&order=a" : "&order=d";
    if (flags.options.ShowImages)
      queryRest += "&showimages=y";
  }
  QByteArray page = Page(flags, queryRest);
  if (writeSettings)
    WriteFlags(old, flags);
  return page;
}

QByteArray TCachePage::Page(const TFlags &flags, const QByteArray &queryRest) {
  // Entries the cache freed since the last request left empty slots behind.
  bool holes = false;
  for (TCacheItem *item : results_.Items())
    holes = holes || item == nullptr;
  if (holes)
    results_.Change([](TCacheList &list) { PackList(list); });

  const QByteArray bar = PageHeaderBar(QByteArray(kPseudoHost) + "/cache");
  QByteArray page = kPageStart;
  page += "<HEAD><TITLE>Quenlark Cache Explorer</TITLE></HEAD><BODY BGCOLOR=#FFFFCC>\r\n";
  page += bar;
  const std::size_t matches = results_.Count();
  // A page size of 0 or less in the settings counts as 1.
  const std::size_t size = static_cast<std::size_t>(std::max(1, EngineSettings.CacheNumResults));
  const int pages = static_cast<int>((matches + size - 1) / size);
  page_ = std::max(1, std::min(page_, pages));
  if (matches > 0) {
    WritePager(page, matches, pages, queryRest);
    page += "<CENTER><TABLE BORDER=1 WIDTH=95%>";
    const std::size_t first = static_cast<std::size_t>(page_ - 1) * size;
    for (std::size_t i = first; i < matches && i < first + size; ++i) {
      if (const TCacheItem *item = results_.At(i))
        WriteRow(page, *item, flags);
    }
    page += "</TABLE></CENTER>";
    WritePager(page, matches, pages, queryRest);
  } else {
    page += "<BR><CENTER><TABLE BORDER=1 WIDTH=95%><TR><TH>No matches found</TH></TR></TABLE></CENTER>";
  }
  WriteSearchForm(page, flags);
  page += bar;
  page += "</BODY>\r\n";
  return page;
}

void TCachePage::WriteRow(QByteArray &page, const TCacheItem &item, const TFlags &flags) const {
  const QByteArray self = PseudoHostUrl();
  const QByteArray mime = cache_.Mimes().MimeTypeName(item.MimeIndex);
  const TKind kind = KindOf(mime);
  const QByteArray url = NormalizeUrl(item.URL);
  const QByteArray shown = HtmlEscape(url);
  const bool linked = !url.contains('<') && !url.contains('>');

  page += "<TR><TH WIDTH=1%><IMG WIDTH=24 HEIGHT=24 SRC=" + self + "/images/" + kind.icon + "></TH><TD>";
  if (linked) {
    if (flags.options.ShowImages && QByteArray(kind.key) == "images")
      page += "<IMG SRC=\"" + shown + "\"><BR>";
    page += "<A HREF=\"" + shown + "\">";
  }
  QByteArray title = item.Title;
  if (title.isEmpty() && EngineSettings.ShowFilenames)
    title = UrlFileName(item.URL);
  page += "<B>" + (title.isEmpty() ? QByteArray("No Title") : HtmlEscape(title)) + "</B>";
  page += "<BR><FONT SIZE=-1>" + shown + "</FONT>";
  if (linked)
    page += "</A>";
  page += "   <FONT SIZE=-2>Size - " + SizeToText(item.Length) + "</FONT>";
  page += " <A HREF=\"" + HtmlEscape(CacheListLink(HostOf(item.URL), from_, to_, kind.key, flags.options)) +
          "\"><IMG BORDER=0 WIDTH=18 HEIGHT=10 SRC=" + self + "/images/list.gif></A>";
  page += "</TD></TR>\r\n";
}

void TCachePage::WritePager(QByteArray &page, std::size_t matches, int pages,
                            const QByteArray &queryRest) const {
  const QByteArray self = PseudoHostUrl();
  const QByteArray rest = HtmlEscapeAttribute(queryRest);
  page += "<CENTER><TABLE BORDER=1 WIDTH=95%><TR>\r\n";
  if (pages > 1) {
    const int previous = page_ > 1 ? page_ - 1 : pages;
    page += "<TH WIDTH=1%><A HREF=" + self + TokenPath("/cache") + "?page=" + QByteArray::number(previous) +
            rest + "><IMG WIDTH=24 HEIGHT=17 BORDER=0 SRC=" + self + "/images/backward.gif></A></TH>\r\n";
  }
  page += "<TH>" + QByteArray::number(static_cast<qulonglong>(matches)) +
          (matches == 1 ? " match" : " matches") + " found";
  if (pages > 1)
    page += ": page " + QByteArray::number(page_) + " of " + QByteArray::number(pages);
  page += "</TH>\r\n";
  if (pages > 1) {
    const int next = page_ < pages ? page_ + 1 : 1;
    page += "<TH WIDTH=1%><A HREF=" + self + TokenPath("/cache") + "?page=" + QByteArray::number(next) +
            rest + "><IMG WIDTH=24 HEIGHT=17 BORDER=0 SRC=" + self + "/images/forward.gif></A></TH>\r\n";
  }
  page += "</TR></TABLE></CENTER>\r\n";
}

void TCachePage::WriteSearchForm(QByteArray &page, const TFlags &flags) const {
  const auto box = [](const char *name, int size, const QByteArray &value) {
    return QByteArray("<INPUT TYPE=TEXT SIZE=") + QByteArray::number(size) + " NAME=" + name + " VALUE=\"" +
           HtmlEscape(value) + "\">";
  };
  const auto check = [](const char *name, bool on, const char *caption) {
    return QByteArray("<INPUT TYPE=CHECKBOX NAME=") + name + " VALUE=y" + Checked(on) + ">" + caption;
  };
  const auto radio = [](const char *name, const char *value, bool on, const char *caption) {
    return QByteArray("<INPUT TYPE=RADIO NAME=") + name + " VALUE=" + value + Checked(on) + ">" + caption;
  };
  const TCachePageOptions &o = flags.options;
  page += "<FORM METHOD=GET ACTION=" + PseudoHostUrl() + TokenPath("/cache") +
          "><INPUT TYPE=HIDDEN NAME=page VALUE=1>\r\n";
  page += "<CENTER><TABLE BORDER=1 WIDTH=95%>\r\n";
  page += "<TR><TD>Find in Document Title</TD><TD>" + box("title", 30, title_) +
          "</TD><TD>From Date</TD><TD>" + box("from", 12, from_) + "</TD>\r\n<TD ROWSPAN=3>" +
          check("text", flags.Text, "Text") + "<BR>" + check("images", flags.Images, "Images") + "<BR>" +
          check("video", flags.Video, "Video") + "<BR>" + check("audio", flags.Audio, "Audio") + "<BR>" +
          check("other", flags.Other, "Other") + "</TD></TR>\r\n";
  page += "<TR><TD>Find in URL</TD><TD>" + box("url", 30, url_) + "</TD><TD>To Date</TD><TD>" +
          box("to", 12, to_) + "</TD></TR>\r\n";
  page += "<TR><TD>Find in HTML</TD><TD>" + box("html", 30, html_) +
          "</TD><TD COLSPAN=2 ALIGN=CENTER><INPUT TYPE=SUBMIT VALUE=\"     OK     \"></TD></TR>\r\n";
  page += "<TR><TD COLSPAN=5>" + check("case", o.MatchCase, "Match Case") +
          " &nbsp; Sort by : " + radio("sort", "u", o.SortedBy == 1, "URL") +
          radio("sort", "t", o.SortedBy == 2, "Title") + radio("sort", "d", o.SortedBy == 3, "Date") +
          " &nbsp; Sort order : " + radio("order", "a", o.SortDirection == 0, "Ascending") +
          radio("order", "d", o.SortDirection == 1, "Descending") + " &nbsp; " +
          check("showimages", o.ShowImages, "Show Images") + "</TD></TR>\r\n";
  page += "</TABLE></CENTER></FORM>\r\n";
}

} // namespace ql
