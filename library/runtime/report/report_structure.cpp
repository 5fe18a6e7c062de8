#include "library/runtime/report/report_structure.h"

namespace vx {

namespace {

ReportItem Item(ReportItem::Kind kind, const QRect &at) {
  ReportItem item;
  item.kind = kind;
  item.at = at;
  return item;
}

} // namespace

ReportBand &ReportBand::String(const QString &text, const QRect &at, std::optional<PageFont> font) {
  ReportItem item = Item(ReportItem::String, at);
  item.text = text;
  item.font = std::move(font);
  items.push_back(std::move(item));
  return *this;
}

ReportBand &ReportBand::Field(std::function<QString()> value, const QString &picture, const QRect &at,
                              std::optional<PageFont> font) {
  ReportItem item = Item(ReportItem::Field, at);
  item.value = std::move(value);
  item.text = picture;
  item.font = std::move(font);
  items.push_back(std::move(item));
  return *this;
}

ReportBand &ReportBand::Memo(std::function<QString()> value, const QRect &at) {
  ReportItem item = Item(ReportItem::Memo, at);
  item.value = std::move(value);
  items.push_back(std::move(item));
  return *this;
}

ReportBand &ReportBand::PageNumber(const QString &picture, const QRect &at, std::optional<PageFont> font) {
  ReportItem item = Item(ReportItem::PageNumber, at);
  item.text = picture;
  item.font = std::move(font);
  items.push_back(std::move(item));
  return *this;
}

ReportBand &ReportBand::Box(const QRect &at, QColor fill) {
  ReportItem item = Item(ReportItem::Box, at);
  item.fill = fill;
  items.push_back(std::move(item));
  return *this;
}

ReportBand &ReportBand::Line(const QRect &at) {
  items.push_back(Item(ReportItem::Line, at));
  return *this;
}

} // namespace vx
