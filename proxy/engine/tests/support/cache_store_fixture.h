#pragma once

#include "proxy/engine/cache/cache_store.h"
#include "proxy/engine/cache/download_file.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace ql::test {

// Hands the store's journal what it queues and returns once the worker has written it (the
// bodies of the entries evicted so far moved away first), with its reports collected.
inline void FinishRemovals(TCacheStore &store) {
  store.Journal().Flush();
  store.Journal().Wait();
}

// A cache store over an index in a temporary data directory (with its TEMP directory), and
// finished fetches to hand it.
class CacheStoreTest : public ::testing::Test {
protected:
  CacheStoreTest() : store(index, dir.path()) { QDir(dir.path()).mkpath("TEMP"); }

  QString Body(int32_t id) const { return store.BodyPath(id); }

  // A finished fetch of bodyText for http://host:80/path with its download file written.
  TFetchResult Fetch(const QByteArray &path, const QByteArray &bodyText, int status = 200) {
    TFetchResult fetch;
    fetch.Spooled = true;
    downloads.push_back(std::make_unique<TDownloadFile>(
        QDir(dir.path()).filePath("TEMP/ts" + QString::number(downloads.size() + 1) + ".adr"),
        &store.Recycler()));
    fetch.Download = downloads.back().get();
    EXPECT_TRUE(fetch.Download->Create());
    EXPECT_TRUE(fetch.Download->Write(bodyText.constData(), bodyText.size()));
    fetch.DownloadPath = fetch.Download->ReadPath();
    fetch.Host = "host";
    fetch.Port = 80;
    fetch.Path = path;
    fetch.BytesReceived = bodyText.size();
    fetch.ContentLength = bodyText.size();
    fetch.Status = status;
    fetch.LastModified = 40000.5;
    fetch.MimeIndex = 1;
    return fetch;
  }

  QTemporaryDir dir;
  TCacheIndex index;
  TCacheStore store;
  std::vector<std::unique_ptr<TDownloadFile>> downloads;
};

} // namespace ql::test
