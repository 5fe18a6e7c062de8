#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_view.h"
#include "support/sample_file.h"

#include <gtest/gtest.h>

namespace vx::test {
namespace {

class KeyedViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    CREATE(Sample());
    OPEN(Sample());
    ASSERT_EQ(AddSample("n1", "News", 1), 0);
    ASSERT_EQ(AddSample("o1", "Other", 2), 0);
    ASSERT_EQ(AddSample("n2", "news", 3), 0);
    ASSERT_EQ(AddSample("x1", "NEWS2", 4), 0);
    ASSERT_EQ(AddSample("n3", "NEWS ", 5), 0);
    ASSERT_EQ(AddSample("b1", "", 6), 0);
  }
  static QStringList Read(View &view, bool forward = true) {
    QStringList names;
    for (;;) {
      forward ? NEXT(view) : PREVIOUS(view);
      if (ERRORCODE() != 0)
        break;
      names << Rec().Name.clipped();
    }
    EXPECT_EQ(ERRORCODE(), 33);
    return names;
  }
  TempWorkDir dir_;
};

TEST_F(KeyedViewTest, CategoryEqualityIgnoresCaseInKeyAndPhysicalOrder) {
  QString category = "news";
  View view(Sample());
  view.setOrder(Sample().key(ByGroup));
  view.setEquality(SampleDecl().fieldIndex("Group"), [&] { return category; });
  OPEN(view);
  SET(view);
  EXPECT_EQ(Read(view), (QStringList{"n1", "n2", "n3"}));
  SET(view);
  EXPECT_EQ(Read(view, false), (QStringList{"n3", "n2", "n1"}));

  // The bound value is read again at each read.
  category = "";
  SET(view);
  EXPECT_EQ(Read(view), QStringList{"b1"});

  category = "NEWS";
  view.setPhysicalOrder();
  SET(view);
  EXPECT_EQ(Read(view), (QStringList{"n1", "n2", "n3"}));
}

TEST_F(KeyedViewTest, FilterReadsItsBoundValuesAtEveryRecord) {
  int minimum = 3;
  View view(Sample());
  view.setOrder(Sample().key(ByName));
  view.setFilter(RecordFilter<SampleRecord>([&](const SampleRecord &r) { return r.Score >= minimum; }));
  OPEN(view);
  SET(view);
  NEXT(view);
  EXPECT_EQ(Rec().Name.text(), "b1");
  minimum = 5;
  EXPECT_EQ(Read(view), QStringList{"n3"});
}

TEST_F(KeyedViewTest, StartValueAndPositionsOutliveTheView) {
  QString position;
  {
    View view(Sample());
    view.setOrder(Sample().key(ByName));
    OPEN(view);
    CLEAR(Sample());
    Rec().Name = "N";
    SET(view, Sample().key(ByName));
    NEXT(view);
    EXPECT_EQ(Rec().Name.text(), "n1");
    NEXT(view);
    position = POSITION(view);
    EXPECT_EQ(position, POSITION(Sample().key(ByName)));
  }
  // Delete the record at the position; a new view reset there reads its neighbours.
  DELETE(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  View view(Sample());
  view.setOrder(Sample().key(ByName));
  OPEN(view);
  RESET(view, position);
  NEXT(view);
  EXPECT_EQ(Rec().Name.text(), "n3");
  RESET(view, position);
  PREVIOUS(view);
  EXPECT_EQ(Rec().Name.text(), "n1");

  // The record read through the view is the one PUT writes.
  Rec().Score = 77;
  PUT(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  CLEAR(Sample());
  Rec().Name = "n1";
  GET(Sample().key(ByName));
  EXPECT_EQ(Rec().Score, 77);
}

TEST_F(KeyedViewTest, ViewsNeedAnOpenFile) {
  View view(Sample());
  NEXT(view);
  EXPECT_EQ(ERRORCODE(), 37);
  CLOSE(Sample());
  OPEN(view);
  EXPECT_EQ(ERRORCODE(), 37);
}

} // namespace
} // namespace vx::test
