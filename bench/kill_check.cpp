// Checks for scripts/kill-quenlark, on the data folder and through the proxy:
//   kill_check urls DATADIR         prints the URL of every entry that the whole records of
//                                   CACHE.DAT and CACHE.BAK give, whose body file is there: what
//                                   a restart must still have
//   kill_check serve PORT URLFILE   asks the (off-line) proxy for each URL of the file and
//                                   prints "asked N intact I missing M broken B": an answer
//                                   other than "Not in Cache" must carry the whole body that
//                                   the load's origin gives for that path (each object has
//                                   bytes of its own, bench/load_objects.h)
//   kill_check seed DATADIR         writes auto.dat with one empty folder, serial id 1, that
//                                   the bookmarks page can add bookmarks to
//   kill_check marks DATADIR        prints the URL of every bookmark in auto.dat; exits 1 when
//                                   auto.dat does not read whole
//   kill_check listed PORT URLFILE  asks the proxy for its bookmarks page and prints
//                                   "asked N listed L missing M": each URL of the file must be
//                                   linked there
//   kill_check ghosts PORT          asks the (off-line) proxy for its /cache page listing every
//                                   entry, then for each listed URL (posting the load's
//                                   data to a URL the load posts to), and prints "listed N
//                                   without-body G wrong W": G entries were listed but answered
//                                   "Not in Cache" (their body was gone), W were served with
//                                   bytes other than their object's (another object's body)
//   kill_check seed-reuse DATADIR   writes CACHE.DAT with one Preserved entry of the largest
//                                   ID, 2^31-1, and its body: the cache then takes the lowest
//                                   free IDs for new entries, again and again
#include "proxy/engine/bookmarks/bookmark_file.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"
#include "proxy/engine/cache/cache_index.h"
#include "proxy/engine/cache/cache_index_file.h"
#include "support/loopback_exchange.h"

#include "load_objects.h"

#include <QDir>
#include <QFile>

#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <string>

namespace {

// Reads the whole records of the file into index, a journal's removals included.
void ReadRecords(ql::TCacheIndex &index, const QString &path, std::size_t skip, bool journal) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return;
  const QByteArray bytes = file.readAll();
  if (static_cast<std::size_t>(bytes.size()) < skip)
    return;
  ql::TRecordRead stop = ql::TRecordRead::Ok;
  ql::ReadCacheRecords(index, bytes.constData() + skip, static_cast<std::size_t>(bytes.size()) - skip, &stop,
                       journal);
}

// Prints the URL of every entry of CACHE.DAT and the journal whose body file is in dir: an
// entry that the program removed itself (evicted) has lost its body and is not counted.
void PrintEntries(const QDir &dir) {
  ql::TCacheIndex index;
  ReadRecords(index, dir.filePath(ql::kCacheFileName), 2, false);
  ReadRecords(index, dir.filePath(ql::kJournalFileName), 0, true);
  index.ForEach([&dir](const ql::TCacheItem &item) {
    if (QFile::exists(dir.filePath(QString::number(item.ID) + QStringLiteral(".ADL"))))
      std::printf("%s\n", item.URL.constData());
  });
}

// The whole answer to a GET of url through the proxy (to the load's POST, for an object the load
// posts to: the cache keeps such an answer for its data alone); what came when it falls silent
// for 10 s.
std::string Get(int port, const std::string &url) {
  const int fd = ql::test::ConnectLoopback(port);
  if (fd < 0)
    return {};
  const std::string request =
      url.find("/post/") != std::string::npos ? load::PostRequest(url) : "GET " + url + " HTTP/1.0\r\n\r\n";
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  return ql::test::ReadUntilClosed(fd, 65536);
}

// The body the load's origin gives for the URL's path; empty for a path not checked.
std::string Expected(const std::string &url) {
  const std::size_t scheme = url.find("://");
  const std::size_t slash = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
  if (slash == std::string::npos)
    return {};
  const std::string path = url.substr(slash);
  return load::ObjectBody(path, load::ObjectSize(path));
}

// Puts the body of a 200 answer into *body; false for any other answer.
bool BodyOf(const std::string &answer, std::string *body) {
  const std::size_t end = answer.find("\r\n\r\n");
  if (!answer.starts_with("HTTP/1.0 200") || end == std::string::npos)
    return false;
  *body = answer.substr(end + 4);
  return true;
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 3 && std::string(argv[1]) == "urls") {
    const QDir dir(QString::fromLocal8Bit(argv[2]));
    PrintEntries(dir);
    return 0;
  }
  if (argc == 4 && std::string(argv[1]) == "serve") {
    const int port = std::atoi(argv[2]);
    std::ifstream list(argv[3]);
    long asked = 0, intact = 0, missing = 0, broken = 0;
    for (std::string url; std::getline(list, url);) {
      const std::string expected = Expected(url);
      if (url.empty() || expected.empty())
        continue;
      ++asked;
      const std::string answer = Get(port, url);
      std::string body;
      if (answer.starts_with("HTTP/1.0 404 Not in Cache")) {
        if (++missing <= 5)
          std::fprintf(stderr, "missing: %s\n", url.c_str());
      } else if (BodyOf(answer, &body) && body == expected)
        ++intact;
      else {
        ++broken;
        std::fprintf(stderr, "broken: %s -> %.60s (%zu bytes)\n", url.c_str(), answer.c_str(), answer.size());
      }
    }
    std::printf("asked %ld intact %ld missing %ld broken %ld\n", asked, intact, missing, broken);
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "seed") {
    ql::TBookmarkOutline tree;
    auto folder = std::make_unique<ql::TBMInfo>();
    folder->Folder = 1;
    folder->SerialId = 1;
    folder->Title = "Kill test";
    tree.Append(nullptr, std::move(folder));
    ql::TBookmarkFile(QString::fromLocal8Bit(argv[2])).SaveExtOutlineNoDelay(tree);
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "marks") {
    ql::TBookmarkOutline tree;
    if (ql::TBookmarkFile(QString::fromLocal8Bit(argv[2])).LoadExtOutline(tree) != ql::TBookmarkRead::Loaded)
      return 1;
    tree.ForEach([](const ql::TBookmarkNode &node) {
      if (!node.IsFolder())
        std::printf("%s\n", node.Info().URL.constData());
    });
    return 0;
  }
  if (argc == 4 && std::string(argv[1]) == "listed") {
    const std::string page = Get(std::atoi(argv[2]), "http://quenlark.invalid/bookmarks");
    std::ifstream list(argv[3]);
    long asked = 0, listed = 0, missing = 0;
    for (std::string url; std::getline(list, url);) {
      if (url.empty())
        continue;
      ++asked;
      if (page.find("<A HREF=\"" + url + "\">") != std::string::npos)
        ++listed;
      else if (++missing <= 5)
        std::fprintf(stderr, "bookmark missing: %s\n", url.c_str());
    }
    std::printf("asked %ld listed %ld missing %ld\n", asked, listed, missing);
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "ghosts") {
    const int port = std::atoi(argv[2]);
    const std::string page =
        Get(port, "http://quenlark.invalid/cache?page=1&text=y&images=y&video=y&audio=y&other=y&title=&url=");
    const std::string before = "<BR><FONT SIZE=-1>";
    long listed = 0, ghosts = 0, wrong = 0;
    for (std::size_t at = page.find(before); at != std::string::npos; at = page.find(before, at)) {
      at += before.size();
      // The page escapes the URL; of its escapes only "&amp;" can stand in a URL that was asked for.
      const QByteArray shown = QByteArray::fromStdString(page.substr(at, page.find("</FONT>", at) - at));
      const std::string url = QByteArray(shown).replace("&amp;", "&").toStdString();
      ++listed;
      const std::string answer = Get(port, url);
      const std::string expected = Expected(url);
      std::string body;
      if (answer.starts_with("HTTP/1.0 404 Not in Cache")) {
        if (++ghosts <= 5)
          std::fprintf(stderr, "listed without a body: %s\n", url.c_str());
      } else if (!expected.empty() && BodyOf(answer, &body) && body != expected) {
        if (++wrong <= 5)
          std::fprintf(stderr, "another object's bytes: %s -> %.40s\n", url.c_str(), body.c_str());
      }
    }
    std::printf("listed %ld without-body %ld wrong %ld\n", listed, ghosts, wrong);
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "seed-reuse") {
    const QDir dir(QString::fromLocal8Bit(argv[2]));
    ql::TCacheIndex index;
    ql::TCacheItem item;
    item.ID = std::numeric_limits<int32_t>::max();
    item.Status = 200;
    item.URL = "http://127.0.0.1:9/reuse-seed";
    item.EntryType = ql::Preserved;
    item.LastModified = ql::kNoDate;
    item.Length = 4;
    index.Put(item);
    QFile body(dir.filePath(ql::BodyFileName(item.ID)));
    if (!body.open(QIODevice::WriteOnly) || body.write("seed") != 4)
      return 1;
    return ql::SaveCacheIndex(index, dir.path(), {}).Saved ? 0 : 1;
  }
  std::fprintf(
      stderr,
      "usage: %s urls DATADIR | serve PORT URLFILE | seed DATADIR | marks DATADIR | listed PORT URLFILE | "
      "ghosts PORT | seed-reuse DATADIR\n",
      argv[0]);
  return 2;
}
