#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace ql {

class TFileRecycler;

// The download file of one fetch: the body as it arrives, until the store makes it the body
// file of an entry or the fetch drops it.
//
// Given a recycler, the download takes one of its spare files when it has one, and hands the
// file back to it when the fetch is dropped, so that no file is made or freed. Otherwise, where
// the file system allows, the file has no name (O_TMPFILE in the TEMP directory): making it
// searches no directory, a crash leaves nothing behind, and nothing needs removing when the
// fetch is dropped. Elsewhere it is made new under its fallback name (never through a link
// planted there) and removed when dropped. Either way MoveTo gives it the body file's name in
// one step, replacing the old body only once the new one is whole.
//
// Owns its descriptor and, when named, its file; the recycler must outlive it. GUI thread only.
class TDownloadFile {
public:
  // fallbackPath: the name used when the file system offers no unnamed files, and the place
  // (its directory) where an unnamed one lives.
  explicit TDownloadFile(QString fallbackPath, TFileRecycler *recycler = nullptr);
  TDownloadFile(const TDownloadFile &) = delete;
  TDownloadFile &operator=(const TDownloadFile &) = delete;
  ~TDownloadFile() { Discard(); }

  // Makes the file. False when neither an unnamed nor a named file could be made.
  bool Create();
  bool IsOpen() const { return fd_ >= 0; }
  // Appends n bytes. False when they did not all reach the file.
  bool Write(const char *bytes, int64_t n);
  // The bytes written so far.
  int64_t Size() const { return size_; }
  // A path by which the file reads while it is open.
  QString ReadPath() const;
  // Gives the file the name target, and closes it. A file already under that name (expected when
  // replacing) is replaced in one rename, and stays whole when the move fails. False when the
  // move failed; the download is then left as it was.
  bool MoveTo(const QString &target, bool replacing);
  // Closes the file, and removes it (or hands it to the recycler).
  void Discard();

  // Test hook: the next files are made named, as on a file system without unnamed files.
  static void SetUnnamedFilesForTest(bool allowed);

private:
  bool LinkTo(const QByteArray &target) const;
  bool OpenSpare();

  QString fallback_path_;
  TFileRecycler *recycler_;
  QByteArray path_; // the file's name while it has one
  int fd_ = -1;
  bool named_ = false;
  int64_t size_ = 0;
};

} // namespace ql
