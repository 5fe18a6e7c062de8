#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstddef>

namespace ql {

// The bytes of a whole file, given by its path or by a descriptor that it does not take over:
// mapped when the file can be mapped, so that only the pages read take memory, else read into
// memory. Empty (and ok false) when unreadable. The bytes stay valid while the object lives.
class TFileBytes {
public:
  explicit TFileBytes(const QString &path);
  explicit TFileBytes(int fd);
  TFileBytes(const TFileBytes &) = delete;
  TFileBytes &operator=(const TFileBytes &) = delete;

  bool ok() const { return ok_; }
  const char *data() const { return data_; }
  std::size_t size() const { return size_; }

private:
  void Read();

  QFile file_;
  QByteArray copy_;
  const char *data_ = nullptr;
  std::size_t size_ = 0;
  bool ok_ = false;
};

} // namespace ql
