#include "proxy/engine/bookmarks/schedule_explanation.h"

#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/http/text_routines.h"
#include "proxy/engine/http/url_split.h"

namespace ql {

namespace {

const char *const kWeekdayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

QString Text(const QByteArray &bytes) {
  return QString::fromUtf8(bytes);
}

QString Every(const TBMInfo &info) {
  if (info.IntervalKind == EveryNWeeks) {
    const QString weeks = info.Weeks == 1 ? QStringLiteral("week on ")
                                          : QString::number(info.Weeks) + QStringLiteral(" weeks on ");
    return weeks + QLatin1String(kWeekdayNames[((info.Weekday % 7) + 7) % 7]) + QLatin1Char('.');
  }
  return info.Days == 1 ? QStringLiteral("day.") : QString::number(info.Days) + QStringLiteral(" days.");
}

QString Host(const QByteArray &url) {
  QByteArray rest = ShortText(url);
  QByteArray host;
  UrlSplitHost(rest, host);
  return Text(host);
}

} // namespace

QStringList ExplainAutobrowseSettings(const TBMInfo &info, bool folder) {
  QStringList lines;
  lines << QStringLiteral("Title:\t") + Text(info.Title);
  if (!folder)
    lines << QStringLiteral("URL:\t") + Text(info.URL);
  if (folder)
    lines << QStringLiteral("Bookmarks placed in this folder will have the following default properties:");
  if (!info.Scheduled && !info.GetNextTime) {
    lines << (folder ? QStringLiteral("These bookmarks will not be scheduled to be Autobrowsed.")
                     : QStringLiteral("This bookmark is not scheduled to be Autobrowsed."));
    return lines;
  }
  if (info.Scheduled) {
    lines << (folder ? QStringLiteral("They will be scheduled to be Autobrowsed every ")
                     : QStringLiteral("This bookmark is scheduled to be Autobrowsed every ")) +
                 Every(info);
    if (info.GetNextTime)
      lines << (folder
                    ? QStringLiteral("They will also be retrieved during the next Autobrowse session.")
                    : QStringLiteral("This site will also be retrieved during the next Autobrowse session."));
  } else {
    lines << (folder ? QStringLiteral("They will be retrieved during the next Autobrowse session.")
                     : QStringLiteral("This bookmark will be retrieved during the next Autobrowse session."));
  }
  QString depth;
  if (info.Depth <= 0)
    depth = folder ? QStringLiteral("Only their first pages") : QStringLiteral("Only the first page");
  else if (info.Depth == 1)
    depth = folder ? QStringLiteral("First pages and their links")
                   : QStringLiteral("The first page and its links");
  else
    depth = (folder ? QStringLiteral("Their first pages and pages ")
                    : QStringLiteral("The first page and pages ")) +
            QString::number(info.Depth) + QStringLiteral(" links deep");
  lines << depth + QStringLiteral(" will be retrieved.");
  if (folder) {
    lines << (info.FollowExternal
                  ? QStringLiteral(
                        "The first pages of links outside of the original domain will also be followed.")
                  : QStringLiteral("Only links within the original domain will be followed."));
    return lines;
  }
  const QString host = Host(info.URL);
  if (host.isEmpty())
    lines << (info.FollowExternal
                  ? QStringLiteral(
                        "The first pages of links outside of the bookmark's own site will also be followed.")
                  : QStringLiteral("Only links within the bookmark's own site will be followed."));
  else
    lines << (info.FollowExternal
                  ? QStringLiteral("The first pages of links outside of '") + host +
                        QStringLiteral("' will also be followed.")
                  : QStringLiteral("Only links within '") + host + QStringLiteral("' will be followed."));
  return lines;
}

} // namespace ql
