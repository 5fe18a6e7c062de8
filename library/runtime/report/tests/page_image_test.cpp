#include "library/runtime/report/page_image.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vx {
namespace {

PageImage SamplePage() {
  PageImage page(QSize(8500, 11000));
  page.AddFill(QRect(1000, 1000, 2000, 1000), QColor(0xC0, 0xC0, 0xC0));
  page.AddFrame(QRect(1000, 1000, 2000, 1000), 10);
  page.AddLine(QPoint(1000, 3000), QPoint(7000, 3000), 10);
  page.AddText(QRect(1000, 4000, 3000, 170), PageFont{"Arial", 100, true}, Qt::AlignLeft, "URLs by Location");
  page.AddText(QRect(6250, 9030, 700, 135), PageFont{"Arial", 80}, Qt::AlignRight, "Page 12 — é");
  page.AddText(QRect(1000, 5000, 3000, 170), PageFont{"Arial", 100, true}, Qt::AlignLeft, "same font again");
  return page;
}

// A page written to its file reads back step for step, fonts shared between its texts.
TEST(PageImage, SavedPageLoadsBackTheSame) {
  QTemporaryDir dir;
  const QString file = dir.filePath("page.vxp");
  const PageImage page = SamplePage();
  ASSERT_TRUE(page.Save(file));
  const auto back = PageImage::Load(file);
  ASSERT_TRUE(back);
  EXPECT_EQ(QSize(8500, 11000), back->Size());
  ASSERT_EQ(2u, back->Fonts().size());
  ASSERT_EQ(page.Ops().size(), back->Ops().size());
  for (std::size_t i = 0; i < page.Ops().size(); ++i) {
    EXPECT_EQ(page.Ops()[i].kind, back->Ops()[i].kind);
    EXPECT_EQ(page.Ops()[i].rect, back->Ops()[i].rect);
    EXPECT_EQ(page.Ops()[i].text, back->Ops()[i].text);
    EXPECT_EQ(page.Ops()[i].font, back->Ops()[i].font);
  }
  EXPECT_EQ(QPoint(7000, 3000), back->Ops()[2].rect.bottomRight());
  EXPECT_EQ(page.Serialize(), back->Serialize());
}

// Every cut of a page file, and files with a false count or font, are refused whole.
TEST(PageImage, DamagedFilesAreRefused) {
  const QByteArray bytes = SamplePage().Serialize();
  for (qsizetype size = 0; size < bytes.size(); ++size)
    EXPECT_FALSE(PageImage::Parse(bytes.left(size))) << size;
  EXPECT_FALSE(PageImage::Parse(bytes + QByteArray(1, '\0')));
  QByteArray wrongMagic = bytes;
  wrongMagic[0] = 'W';
  EXPECT_FALSE(PageImage::Parse(wrongMagic));
  QByteArray hugeCount = bytes.left(16);
  hugeCount += QByteArray("\xff\xff\xff\xff", 4);
  EXPECT_FALSE(PageImage::Parse(hugeCount));
  PageImage oneText(QSize(100, 100));
  oneText.AddText(QRect(0, 0, 10, 10), PageFont{"Arial", 100}, 0, "x");
  QByteArray badFont = oneText.Serialize();
  const qsizetype fontIndex = badFont.size() - 1 - 4 - 2 - 2; // the text, its length, flags, then the index
  badFont[fontIndex] = 5;
  EXPECT_FALSE(PageImage::Parse(badFont));
  EXPECT_FALSE(PageImage::Load("/nonexistent/page.vxp"));
}

// The page draws scaled into any target: at a tenth of its size the grey box covers the
// tenth of its place, and nothing is drawn outside the target.
TEST(PageImage, RendersScaledIntoItsTarget) {
  QImage image(900, 1200, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    SamplePage().Render(painter, QRectF(0, 0, 850, 1100));
  }
  EXPECT_EQ(QColor(0xC0, 0xC0, 0xC0).rgb(), image.pixel(200, 150));
  EXPECT_EQ(QColor(Qt::white).rgb(), image.pixel(50, 50));
  bool line = false; // the line at y 3000
  for (int y = 298; y <= 302; ++y)
    line |= image.pixel(400, y) == QColor(Qt::black).rgb();
  EXPECT_TRUE(line);
  bool drawnOutside = false;
  for (int y = 0; y < 1200; y += 3) {
    for (int x = 851; x < 900; x += 3)
      drawnOutside |= image.pixel(x, y) != QColor(Qt::white).rgb();
  }
  EXPECT_FALSE(drawnOutside);
}

} // namespace
} // namespace vx
