// The engine's rooms (its sub-folders) stand in an order: no room includes one that includes
// it, directly or through others, so no lower room reaches a higher one. Tests are left out:
// they may reach anywhere.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace ql {
namespace {

// Which rooms each room's own files include.
std::map<QString, std::set<QString>> RoomIncludes(const QDir &engine) {
  static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*"proxy/engine/([a-z_]+)/)"),
                                          QRegularExpression::MultilineOption);
  std::map<QString, std::set<QString>> includes;
  for (const QString &room : engine.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    if (room == QLatin1String("tests"))
      continue;
    std::set<QString> &reached = includes[room];
    const QDir roomDir(engine.filePath(room));
    QDirIterator files(roomDir.path(), {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
      QFile file(files.next());
      const QString inRoom = roomDir.relativeFilePath(file.fileName());
      if (inRoom.startsWith(QLatin1String("tests/")) || inRoom.contains(QLatin1String("/tests/")) ||
          !file.open(QIODevice::ReadOnly))
        continue;
      auto matches = include.globalMatch(QString::fromUtf8(file.readAll()));
      while (matches.hasNext()) {
        const QString other = matches.next().captured(1);
        if (other != room)
          reached.insert(other);
      }
    }
  }
  return includes;
}

TEST(EngineRooms, NoRoomIncludesOneThatIncludesIt) {
  const QDir engine(QDir::cleanPath(qEnvironmentVariable("TEST_SOURCE_DIR") + QStringLiteral("/..")));
  std::map<QString, std::set<QString>> includes = RoomIncludes(engine);
  ASSERT_TRUE(includes[QStringLiteral("net")].contains(QStringLiteral("cache")))
      << engine.path().toStdString();
  // A depth-first walk meets a circle as a room that is already on the path to it.
  QStringList circles;
  std::vector<QString> path;
  std::set<QString> walked;
  std::function<void(const QString &)> walk = [&](const QString &room) {
    const auto onPath = std::find(path.begin(), path.end(), room);
    if (onPath != path.end()) {
      circles << (QStringList(onPath, path.end()) << room).join(QLatin1String(" -> "));
      return;
    }
    if (walked.contains(room))
      return;
    path.push_back(room);
    for (const QString &next : includes[room])
      walk(next);
    path.pop_back();
    walked.insert(room);
  };
  for (const auto &entry : includes)
    walk(entry.first);
  EXPECT_TRUE(circles.isEmpty()) << circles.join(QLatin1String("; ")).toStdString();
}

} // namespace
} // namespace ql
