#include "proxy/engine/cache/conversion_notice.h"
#include "proxy/platform/dialog_sink.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

TEST(ConversionNotice, ShowsTheDataDirectoryAndStopsSaving) {
  RecordingDialogSink sink;
  bool oldFormatFound = false;
  ShowConversionNotice("/home/u/.local/share/quenlark/Cache\\", oldFormatFound);
  EXPECT_TRUE(oldFormatFound);
  ASSERT_EQ(sink.Requests().size(), 1u);
  EXPECT_EQ(sink.Requests()[0].kind, DialogKind::Error);
  EXPECT_EQ(sink.Requests()[0].buttons, DialogButtons::Ok);
  EXPECT_EQ(
      sink.Requests()[0].text,
      "Cache and bookmarks need conversion. Please obtain QL_CONV.EXE from Ostwick. If you do not wish to "
      "keep your old data files you must delete the contents "
      "of:\r\n\r\n/home/u/.local/share/quenlark/Cache/");
}

} // namespace
} // namespace ql
