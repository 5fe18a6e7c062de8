#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/bookmarks/clipboard_record.h"
#include "proxy/engine/bookmarks/url_in_text.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace ql {
namespace {

TBMInfo Sample() {
  TBMInfo info(45000.0);
  info.Title = "Gärten & Parks";
  info.URL = "http://gardens.example:8080/list?x=1";
  info.Comments = "Weekly lists\r\nof openings";
  info.KillWords = "login\r\nlogout";
  info.UserName = "me";
  info.Password = "secret";
  info.MaxItemSize = 307200;
  info.IntervalKind = EveryNWeeks;
  info.Weeks = 3;
  info.Weekday = 5;
  info.Days = 4;
  info.Depth = 2;
  info.TimeLimit = 600000;
  info.SizeLimit = 1572864;
  info.DirMovement = ForwardsOnly;
  info.FollowExternal = 1;
  info.InlineImages = 0;
  info.Java = 1;
  info.EmbeddedFiles = 0;
  info.Scheduled = 1;
  info.GetNextTime = 1;
  return info;
}

TEST(ClipboardRecord, HeadHoldsTheFieldsAtTheirOffsets) {
  const TBMInfo info = Sample();
  const QByteArray record = ClipboardRecord(info);
  ASSERT_EQ(record.size(),
            72 + info.URL.size() + info.Title.size() + info.Comments.size() + info.KillWords.size());
  EXPECT_EQ(record.left(8), QByteArray("Vosco!\0\0", 8));
  const auto at = [&record](int offset) { return qFromLittleEndian<int32_t>(record.constData() + offset); };
  EXPECT_EQ(at(8), 2);
  EXPECT_EQ(at(12), 16);
  EXPECT_EQ(at(16), 307200);
  EXPECT_EQ(at(20), 1);
  EXPECT_EQ(at(24), 3);
  EXPECT_EQ(at(28), 5);
  EXPECT_EQ(at(32), 4);
  EXPECT_EQ(at(36), 2);
  EXPECT_EQ(at(40), 600000);
  EXPECT_EQ(at(44), 1572864);
  EXPECT_EQ(at(48), info.Title.size());
  EXPECT_EQ(at(52), info.URL.size());
  EXPECT_EQ(record.mid(64, 8), QByteArray("\x02\x01\x00\x01\x00\x00\x00\x00", 8));
  EXPECT_EQ(record.mid(72), info.URL + info.Title + info.Comments + info.KillWords);
}

TEST(ClipboardRecord, CopiedTextPastesBackAsAnEqualBookmark) {
  const TBMInfo info = Sample();
  const QByteArray text = ClipboardBookmarkText(info);
  const QList<QByteArray> lines = text.split('\n');
  EXPECT_EQ(lines[0], info.Title + "\r");
  EXPECT_EQ(lines[1], info.URL + "\r");
  EXPECT_EQ(lines[2], "\r");
  EXPECT_EQ(lines[3], QByteArray(kClipboardOpeningRule) + "\r");
  EXPECT_TRUE(lines[4].startsWith(kClipboardMarkerBase64));
  EXPECT_EQ(lines[4].size(), 73); // 72 characters and the CR
  EXPECT_TRUE(text.endsWith("------------------ http://www.quenlark.invalid/ -------------------\r\n"));

  // Pasted in the middle of other text, as a mail program might quote it.
  std::unique_ptr<TBMInfo> pasted;
  const int32_t serial = NextBMSerial;
  ASSERT_EQ(DecodeClipboardBookmark("> Look at this:\r\n> " + text, pasted), TClipboardDecode::Decoded);
  EXPECT_EQ(pasted->SerialId, serial);
  EXPECT_EQ(pasted->Title, info.Title);
  EXPECT_EQ(pasted->URL, info.URL);
  EXPECT_EQ(pasted->Comments, info.Comments);
  EXPECT_EQ(pasted->KillWords, info.KillWords);
  EXPECT_EQ(ClipboardRecord(*pasted), ClipboardRecord(info));
  EXPECT_TRUE(pasted->UserName.isNull());
  EXPECT_TRUE(pasted->Password.isNull());
  EXPECT_EQ(pasted->Scheduled, 0);
  EXPECT_EQ(pasted->GetNextTime, 0);
}

TEST(ClipboardRecord, ABookmarkWithoutTitleStartsWithItsUrl) {
  TBMInfo info(45000.0);
  info.URL = "http://only.example/";
  EXPECT_TRUE(ClipboardBookmarkText(info).startsWith("http://only.example/\r\n\r\n-----"));
  std::unique_ptr<TBMInfo> pasted;
  ASSERT_EQ(DecodeClipboardBookmark(ClipboardBookmarkText(info), pasted), TClipboardDecode::Decoded);
  EXPECT_EQ(pasted->Title, "New Document");
}

TEST(ClipboardRecord, ShortOrInconsistentRecordsAreIncomplete) {
  std::unique_ptr<TBMInfo> pasted;
  EXPECT_EQ(DecodeClipboardBookmark("http://plain.example/", pasted), TClipboardDecode::NoMarker);
  const QByteArray base64 = ClipboardRecord(Sample()).toBase64();
  // Cut short of its texts, or of its head.
  EXPECT_EQ(DecodeClipboardBookmark(base64.left(base64.size() - 8), pasted), TClipboardDecode::Incomplete);
  EXPECT_EQ(DecodeClipboardBookmark(base64.left(40), pasted), TClipboardDecode::Incomplete);
  // Lengths that are negative, or whose sum overflows 32 bits back into range.
  for (const std::array<int32_t, 4> &lengths :
       {std::array<int32_t, 4>{-1, 5, 0, 0}, std::array<int32_t, 4>{0x7FFFFFFF, 0x7FFFFFFF, 2, 0}}) {
    QByteArray record = ClipboardRecord(Sample());
    for (int i = 0; i < 4; ++i)
      qToLittleEndian(lengths[static_cast<std::size_t>(i)], record.data() + 48 + 4 * i);
    EXPECT_EQ(DecodeClipboardBookmark(record.toBase64(), pasted), TClipboardDecode::Incomplete);
  }
  EXPECT_EQ(pasted, nullptr);
}

TEST(UrlInText, FindsTheAddressAndTakesTheLongerSideAsTitle) {
  TUrlInText found;
  QString text = QStringLiteral("A good page about gardens http://gardens.example/roses.");
  ASSERT_TRUE(ExtractUrlFromText(text, FindUrlPoint(text), found));
  EXPECT_EQ(found.url, "http://gardens.example/roses");
  EXPECT_EQ(found.title, "A good page about gardens");

  text = QStringLiteral("http://only.example/path");
  ASSERT_TRUE(ExtractUrlFromText(text, FindUrlPoint(text), found));
  EXPECT_EQ(found.url, text);
  EXPECT_EQ(found.title, text);

  text = QStringLiteral("see http://x.example/\r\nfor the whole\r\nstory of it");
  ASSERT_TRUE(ExtractUrlFromText(text, FindUrlPoint(text), found));
  EXPECT_EQ(found.url, "http://x.example/");
  EXPECT_EQ(found.title, "for the whole  story of it");

  // Without "//": the first dot inside a word.
  text = QStringLiteral(". www.example.com is");
  ASSERT_TRUE(ExtractUrlFromText(text, FindUrlPoint(text), found));
  EXPECT_EQ(found.url, "www.example.com");
  EXPECT_EQ(found.title, "www.example.com");

  // The shorter side after, and fewer than 6 characters before: nothing.
  text = QStringLiteral("see http://x.example/ y");
  EXPECT_FALSE(ExtractUrlFromText(text, FindUrlPoint(text), found));
  EXPECT_EQ(FindUrlPoint(QStringLiteral("no address here.")), -1);
}

} // namespace
} // namespace ql
