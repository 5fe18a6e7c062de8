#include "proxy/engine/http/header_end.h"
#include "proxy/engine/http/paths.h"
#include "proxy/engine/net/buffer_size.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <vector>

namespace ql {
namespace {

TEST(Paths, TrailingBackslashAndFileSystemForm) {
  QString path = "C:\\data  ";
  AddTrailingBackslash(path);
  EXPECT_EQ(path, "C:\\data\\");
  AddTrailingBackslash(path);
  EXPECT_EQ(path, "C:\\data\\");
  path.clear();
  AddTrailingBackslash(path);
  EXPECT_EQ(path, "\\");
  EXPECT_EQ(FileSystemPath("/home/u/Cache\\TEMP\\1.ADL"), "/home/u/Cache/TEMP/1.ADL");
}

TEST(Paths, ProgramDirectoryIsTheExecutablesOwn) {
  QString saved = QDir::currentPath();
  QString dir = ProgramDir();
  EXPECT_TRUE(dir.endsWith('/'));
  EXPECT_TRUE(QFileInfo(dir + QFileInfo("/proc/self/exe").canonicalFilePath().section('/', -1)).exists());
  ChDirToProgramDir();
  EXPECT_EQ(QDir::currentPath() + "/", dir);
  HelpFilePath();
  EXPECT_EQ(HelpFile(), dir + "QUENLARK.HLP");
  QDir::setCurrent(saved);
}

TEST(HeaderEnd, BlankLineInEitherLineEnding) {
  auto feed = [](const QByteArray &stream) {
    HeaderEndWindow window{};
    for (qsizetype i = 0; i < stream.size(); ++i) {
      ShiftHeaderEndWindow(window, stream[i]);
      if (IsHeaderEnd(window))
        return i;
    }
    return qsizetype(-1);
  };
  EXPECT_EQ(feed("HTTP/1.0 200 OK\r\nA: b\r\n\r\nbody"), 24);
  EXPECT_EQ(feed("HTTP/1.0 200 OK\nA: b\n\nbody"), 21);
  EXPECT_EQ(feed("HTTP/1.0 200 OK\rA: b\r\rbody"), 21);
  EXPECT_EQ(feed("X\n\r\n\rbody"), 4);
  EXPECT_EQ(feed("HTTP/1.0 200 OK\r\nA: b\r\n"), -1);
}

TEST(BufferSize, HalvesDownTo588) {
  std::vector<int> tried;
  int last = SetSocketBufferSize([&](int size) { return tried.push_back(size), -1; }, 9408);
  EXPECT_EQ(tried, (std::vector<int>{9408, 4704, 2352, 1176, 588}));
  EXPECT_EQ(last, 588);
  tried.clear();
  last = SetSocketBufferSize([&](int size) { return tried.push_back(size), size > 3000 ? -1 : 0; }, 9408);
  EXPECT_EQ(last, 2352);
  EXPECT_EQ(tried.size(), 3u);
}

} // namespace
} // namespace ql
