#include "library/reports/report_layouts.h"

#include "library/core/records.h"

namespace vx {

namespace {

const QColor kLightGrey(0xC0, 0xC0, 0xC0);
constexpr int kHeadingHeight = 167;

PageFont Bold() {
  return PageFont{QStringLiteral("Arial"), 100, true};
}

ReportBand Footer() {
  ReportBand footer;
  footer.at = QRect(1000, 9000, 6000, 219);
  footer.PageNumber(QStringLiteral("pPage <<<#p"), QRect(5250, 30, 700, 135),
                    PageFont{QStringLiteral("Arial"), 80});
  return footer;
}

} // namespace

ReportStructure SiteReportLayout(const QString &name, const QString &title, SiteLayout layout) {
  const bool locationFirst = layout == SiteLayout::LocationFirst;
  ReportStructure s;
  s.name = name;
  ReportBand header;
  header.at = QRect(1000, 1000, 6000, 719);
  header.String(title, QRect(0, 20, 6000, 220), Bold()).Box(QRect(0, 260, 6000, 460), kLightGrey);
  // The heading line of Location, Category and Rating, and the one of Description and Keyword.
  const int locationLine = locationFirst ? 310 : 500;
  const int categoryLine = locationFirst ? 313 : 500;
  const int descriptionLine = locationFirst ? 500 : 310;
  header.String(QStringLiteral("Location"), QRect(50, locationLine, 1400, kHeadingHeight))
      .String(QStringLiteral("Category"), QRect(4479, categoryLine, 625, kHeadingHeight))
      .String(QStringLiteral("Rating"), QRect(5469, categoryLine, 479, kHeadingHeight))
      .String(QStringLiteral("Description"), QRect(52, descriptionLine, 1400, kHeadingHeight))
      .String(QStringLiteral("Keyword"), QRect(4479, descriptionLine, 1400, kHeadingHeight));
  s.header = std::move(header);
  s.footer = Footer();
  s.detailArea = QRect(1000, 1720, 6000, 7281);

  ReportBand &detail = s.detail;
  detail.at = QRect(0, 0, 6000, 510);
  auto location = [] { return URL().Location.text(); };
  auto category = [] { return URL().Category.text(); };
  auto rating = [] { return QString::number(URL().Rating); };
  auto description = [] { return URL().Description.text(); };
  auto keyword = [] { return URL().Keyword.text(); };
  if (locationFirst) {
    detail.Field(location, QStringLiteral("S100"), QRect(52, 52, 4396, 167))
        .Field(category, QStringLiteral("S30"), QRect(4469, 52, 1125, 167))
        .Field(rating, QStringLiteral("N2"), QRect(5667, 42, 271, 167))
        .Field(description, QStringLiteral("S100"), QRect(42, 219, 4375, 167))
        .Field(keyword, QStringLiteral("s10"), QRect(4469, 219, 1400, 170));
  } else {
    detail.Field(description, QStringLiteral("S100"), QRect(52, 52, 4375, 167))
        .Field(keyword, QStringLiteral("s10"), QRect(4469, 52, 1400, 170))
        .Field(location, QStringLiteral("S100"), QRect(52, 219, 4396, 167))
        .Field(category, QStringLiteral("S30"), QRect(4469, 219, 1125, 167))
        .Field(rating, QStringLiteral("N2"), QRect(5667, 219, 271, 167));
  }
  detail.Line(QRect(31, 458, 5900, 0));
  return s;
}

ReportStructure CategoryReportLayout(const QString &name) {
  ReportStructure s;
  s.name = name;
  ReportBand header;
  header.at = QRect(1000, 1000, 6000, 542);
  header.String(QStringLiteral("Categories"), QRect(0, 20, 6000, 220), Bold())
      .Box(QRect(10, 229, 6000, 280), kLightGrey)
      .Line(QRect(2375, 240, 0, 280))
      .String(QStringLiteral("Category"), QRect(52, 313, 688, 167))
      .String(QStringLiteral("Description"), QRect(2458, 313, 1125, 167));
  s.header = std::move(header);
  s.footer = Footer();
  s.detailArea = QRect(1000, 1540, 6000, 7458);
  s.detail.at = QRect(0, 0, 6000, 365);
  s.detail.Field([] { return CAT().Category.text(); }, QStringLiteral("s30"), QRect(52, 52, 2260, 167))
      .Memo([] { return CAT().Description.text(); }, QRect(2427, 31, 3510, 208))
      .Line(QRect(2354, 10, 0, 280))
      .Line(QRect(42, 281, 5900, 0));
  return s;
}

} // namespace vx
