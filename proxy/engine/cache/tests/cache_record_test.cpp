#include "proxy/engine/cache/cache_record.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>

namespace ql {
namespace {

struct Golden {
  TCacheItem item;
  const char *hex;
};

// Each expected record is laid out field by field from the record table: 4-byte integers,
// 8-byte dates plus 693594 (zero kept), two single bytes, four lengths counting the NUL, texts.
std::vector<Golden> GoldenRecords() {
  TCacheItem normal;
  normal.ID = 1;
  normal.Status = 200;
  normal.LastModified = -1.0;
  normal.MimeIndex = 1;
  normal.LastAccessed = 46000.5;
  normal.Length = 1234;
  normal.Hits = 3;
  normal.URL = "http://a:80/";
  normal.Title = "T";

  TCacheItem preserved;
  preserved.ID = 2;
  preserved.Status = 302;
  preserved.LastAccessed = 46001.25;
  preserved.Retrieved = 46001.0;
  preserved.EntryType = Preserved;
  preserved.URL = "http://b:81/x";
  preserved.Location = "http://c/";

  TCacheItem automatic;
  automatic.ID = -3;
  automatic.Status = 404;
  automatic.BMSerial = 7;
  automatic.BMGeneration = 2;
  automatic.LastModified = 45000.0;
  automatic.MimeIndex = 73;
  automatic.LastAccessed = 1.5;
  automatic.Retrieved = 2.0;
  automatic.Length = 10;
  automatic.EntryType = Auto;
  automatic.Seen = 0;
  automatic.URL = "http://d:80/p";
  automatic.PostData = "q=1";

  return {
      {normal,
       "01000000c8000000000000000000000000000000b22a25410100000000000000159226410000000000000000d20400"
       "000300000000010d000000020000000100000001000000687474703a2f2f613a38302f0054000000"},
      {preserved, "020000002e01000000000000000000000000000000000000000000000000008016922641000000001692264100"
                  "0000000000000001010e000000010000000a00000001000000687474703a2f2f623a38312f780000687474703a"
                  "2f2f632f0000"},
      {automatic,
       "fdffffff94010000070000000200000000000000448a26414900000000000000b72a254100000000b82a25410a"
       "0000000000000002000e000000010000000100000004000000687474703a2f2f643a38302f70000000713d3100"},
  };
}

TEST(CacheRecord, EachEntryTypeMatchesItsGoldenBytesBothWays) {
  for (const Golden &golden : GoldenRecords()) {
    const QByteArray expected = QByteArray::fromHex(golden.hex);
    QByteArray bytes;
    ASSERT_TRUE(AppendCacheRecord(bytes, golden.item));
    EXPECT_EQ(bytes.toHex(), expected.toHex()) << "ID " << golden.item.ID;

    TCacheItem read;
    read.Validated = 1;
    std::size_t used = 0;
    ASSERT_EQ(ReadCacheRecord(expected.constData(), expected.size(), read, &used), TRecordRead::Ok);
    EXPECT_EQ(used, static_cast<std::size_t>(expected.size()));
    EXPECT_EQ(read.ID, golden.item.ID);
    EXPECT_EQ(read.BMSerial, golden.item.BMSerial);
    EXPECT_EQ(read.LastModified, golden.item.LastModified);
    EXPECT_EQ(read.Retrieved, golden.item.Retrieved);
    EXPECT_EQ(read.MimeIndex, golden.item.MimeIndex);
    EXPECT_EQ(read.EntryType, golden.item.EntryType);
    EXPECT_EQ(read.Seen, golden.item.Seen);
    EXPECT_EQ(read.Validated, 0);
    EXPECT_EQ(read.URL, golden.item.URL);
    EXPECT_EQ(read.Location, golden.item.Location);
    EXPECT_EQ(read.PostData, golden.item.PostData);
  }
}

TEST(CacheRecord, ShortAndDamagedRecordsAreToldApart) {
  QByteArray bytes;
  ASSERT_TRUE(AppendCacheRecord(bytes, GoldenRecords()[0].item));
  TCacheItem item;
  std::size_t used = 0;
  for (qsizetype cut : {qsizetype(0), qsizetype(53), qsizetype(69), bytes.size() - 1})
    EXPECT_EQ(ReadCacheRecord(bytes.constData(), cut, item, &used), TRecordRead::Truncated) << cut;

  for (int32_t bad : {-1, kMaxCacheTextLength + 1, INT32_MAX, INT32_MIN}) {
    QByteArray damaged = bytes;
    std::memcpy(damaged.data() + 58, &bad, 4);
    EXPECT_EQ(ReadCacheRecord(damaged.constData(), damaged.size(), item, &used), TRecordRead::Damaged) << bad;
  }
}

TEST(CacheRecord, TextsBeyondTheBound) {
  TCacheItem item = GoldenRecords()[0].item;
  item.Title = QByteArray(5000, 't');
  QByteArray bytes;
  ASSERT_TRUE(AppendCacheRecord(bytes, item));
  TCacheItem read;
  std::size_t used = 0;
  ASSERT_EQ(ReadCacheRecord(bytes.constData(), bytes.size(), read, &used), TRecordRead::Ok);
  EXPECT_EQ(read.Title.size(), kMaxCacheTextLength - 1);

  item.PostData = QByteArray(kMaxCacheTextLength, 'p');
  QByteArray none;
  EXPECT_FALSE(AppendCacheRecord(none, item));
  EXPECT_TRUE(none.isEmpty());
}

TEST(CacheRecord, TextStopsAtItsFirstNul) {
  QByteArray bytes = QByteArray::fromHex(GoldenRecords()[0].hex);
  bytes[72] = '\0'; // inside "http://a:80/"
  TCacheItem read;
  std::size_t used = 0;
  ASSERT_EQ(ReadCacheRecord(bytes.constData(), bytes.size(), read, &used), TRecordRead::Ok);
  EXPECT_EQ(read.URL, "ht");
  EXPECT_EQ(read.Title, "T");
}

} // namespace
} // namespace ql
