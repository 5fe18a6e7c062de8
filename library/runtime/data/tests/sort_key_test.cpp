#include "library/runtime/data/sort_key.h"
#include "support/sample_file.h"

#include <gtest/gtest.h>

namespace vx::test {
namespace {

QByteArray Text(const QString &text, int width = 20, bool descending = false) {
  QByteArray out;
  AppendTextComponent(out, text, width, descending);
  return out;
}

QByteArray Number(qint64 value, bool descending = false) {
  QByteArray out;
  AppendNumberComponent(out, value, descending);
  return out;
}

TEST(SortKeyTest, TextsCompareAsUpperCasedBlankPaddedValues) {
  EXPECT_EQ(Text("news  "), Text("NEWS"));
  EXPECT_EQ(Text("abcdef", 3), Text("ABC"));
  EXPECT_EQ(Text("a\tb"), Text("A B"));
  EXPECT_LT(Text("AB"), Text("AB!"));
  EXPECT_LT(Text("AB"), Text("AB  C"));
  EXPECT_LT(Text(""), Text(" A"));
  EXPECT_LT(Text("Z"), Text(QString::fromUtf8("é")));
  EXPECT_EQ(Text(QString::fromUtf8("é")), Text(QString::fromUtf8("É")));
  EXPECT_GT(Text("AB", 20, true), Text("AB!", 20, true));
}

TEST(SortKeyTest, NumbersOrderBySignAndDescendingInverts) {
  EXPECT_LT(Number(-5), Number(-1));
  EXPECT_LT(Number(-1), Number(0));
  EXPECT_LT(Number(0), Number(99));
  EXPECT_GT(Number(-5, true), Number(-1, true));
  EXPECT_GT(Number(0, true), Number(99, true));
}

TEST(SortKeyTest, AllKeysAtOnceMatchEachKeyAlone) {
  const FileDecl &decl = SampleDecl();
  SampleRecord records[3];
  records[0].Name = "Alpha";
  records[0].Group = "g";
  records[0].Score = 7;
  records[1].Group = "blank name";
  for (const SampleRecord &record : records) {
    const std::vector<QByteArray> keys = SortKeys(decl, &record);
    ASSERT_EQ(keys.size(), decl.keys.size());
    for (size_t k = 0; k < keys.size(); ++k) {
      EXPECT_EQ(keys[k], SortKey(decl, decl.keys[k], &record)) << k;
      EXPECT_EQ(keys[k].isNull(), SortKey(decl, decl.keys[k], &record).isNull()) << k;
    }
  }
  EXPECT_TRUE(SortKey(decl, decl.keys[ByName], &records[1]).isNull());
  EXPECT_FALSE(SortKey(decl, decl.keys[ByName], &records[1], false).isNull());
}

} // namespace
} // namespace vx::test
