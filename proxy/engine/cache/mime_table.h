#pragma once

#include "proxy/engine/http/content_type_index.h"

#include <QByteArray>
#include <QString>

#include <QHash>
#include <cstdint>
#include <vector>

namespace ql {

// The MIME table: the ordered list of Content-Type names whose 1-based positions are the
// MimeIndex values stored in cache entries. It starts with the 72 built-in names, whose order
// is part of the cache file format (index 1 is text/html, the one the engine tests for an HTML
// page), and continues with the names learned from responses, which are kept in MIMETYPE.DAT in
// the data directory so that a learned name keeps its index for good.
//
// Indexes are 32-bit everywhere. Index 0, and any index beyond the table, reads back as
// "text/plain". Lookups compare without regard to case through a hash index. GUI thread only.
class TMimeTable : public TContentTypeIndex {
public:
  static constexpr int32_t kTextHtml = 1;
  static constexpr int kBuiltInCount = 72;
  static constexpr qsizetype kMaxNameLength = 255;
  // MIMETYPE.DAT is read up to this many bytes.
  static constexpr qint64 kMaxFileSize = 4 << 20;

  TMimeTable();

  // Resets to the built-in names, then appends every line after the header line of
  // MIMETYPE.DAT in dataDir (each cut to kMaxNameLength characters; empty lines are skipped;
  // bytes beyond kMaxFileSize are not read).
  // The directory is remembered as the place where learned names are written. A missing
  // file leaves the built-in names only.
  void LoadMimeTypes(const QString &dataDir);

  // The index-th name; "text/plain" for 0 and for an index outside the table.
  QByteArray MimeTypeName(int32_t index) const;

  // The index of a Content-Type value: parameters (from the first ";") are cut off and
  // characters outside "!" to "~" are taken off both ends; a known name (any case) gives its
  // index. An unknown name of more than two characters containing "/" is learned: appended to
  // the table as received and as one line to MIMETYPE.DAT; its new index is returned. Anything else gives 0.
  // When MIMETYPE.DAT cannot be written the name is not learned and 0 is returned, so that no index is handed
  // out that a later run would give to another name.
  int32_t MimeTypeIndex(const QByteArray &contentType) override;

  int32_t Count() const { return static_cast<int32_t>(names_.size()); }

private:
  void Append(const QByteArray &name);
  bool AppendLearnedName(const QByteArray &name) const;

  std::vector<QByteArray> names_;
  QHash<QByteArray, int32_t> index_by_lower_;
  QString data_dir_;
};

// The name of MIMETYPE.DAT and its first line.
inline constexpr char kMimeTypeFileName[] = "MIMETYPE.DAT";
inline constexpr char kMimeTypeFileHeader[] = "ADDITIONAL MIMETYPES INFO. DO NOT EDIT OR REMOVE!";

} // namespace ql
