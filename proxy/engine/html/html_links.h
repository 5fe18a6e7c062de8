#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>

namespace ql {

// The links found on one page, in document order, each at most once (exact comparison). A link
// may carry one kind mark in front: "!" in-line image, "#" embedded object, "^" frame page or
// redirect, "*" applet code; none for an ordinary link.
class TFoundLinks {
public:
  // Adds link unless it is empty or already found.
  void Add(const QByteArray &link);
  const QList<QByteArray> &Links() const { return links_; }

private:
  QList<QByteArray> links_;
  QSet<QByteArray> seen_;
};

// The longest tag text and base kept while scanning links.
constexpr qsizetype kMaxLinkTagLength = 255;
constexpr qsizetype kMaxBaseLength = 255;

// Handles one tag text of a page: when it is a link tag (A, IMG, AREA, BODY, INPUT, FRAME,
// APPLET, BGSOUND, META, BASE, EMBED, TABLE, TD, TH, TR), its link attributes (HREF, SRC,
// BACKGROUND, CODE, CONTENT, DYNSRC, LOWSRC) are resolved against base and added to found with
// their kind marks. A BASE tag's HREF replaces base (cut to maxBaseLength) for later tags; a
// META tag's CONTENT "...URL=..." gives a "^" link.
void ProcessLinkTag(const QByteArray &tag, QByteArray &base, qsizetype maxBaseLength, TFoundLinks &found);

// The marked links of an HTML text whose URL is pageUrl, in document order, each once.
QList<QByteArray> ScanLinks(const QByteArray &html, const QByteArray &pageUrl);

} // namespace ql
