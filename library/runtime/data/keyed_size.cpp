#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_file.h"
#include "library/runtime/data/keyed_internal.h"

namespace vx {

namespace {

constexpr qint64 kNumberBytes = 4;

// The bytes of a record's fixed fields, the same for every record of the file.
qint64 FixedBytes(const FileDecl &decl) {
  qint64 bytes = 0;
  for (const FieldDef &field : decl.fields)
    bytes += field.kind == FieldKind::Text ? field.width : kNumberBytes;
  return bytes;
}

} // namespace

qint64 BYTES(KeyedFile &file) {
  const FileDecl &decl = file.decl();
  qint64 bytes = FixedBytes(decl);
  if (decl.memo)
    bytes += std::min<qint64>(decl.memo->get(file.buffer()).size(), decl.memo->width);
  return bytes;
}

qint64 FileBytes(KeyedFile &file) {
  ClearError();
  if (!RequireOpen(file))
    return 0;
  const FileDecl &decl = file.decl();
  const QString memo =
      decl.memo
          ? QStringLiteral("total(min(length(%1), %2))").arg(Quoted(decl.memo->name)).arg(decl.memo->width)
          : QStringLiteral("0");
  keyed_db::Statement st(
      file, QStringLiteral("SELECT count(*), %1 FROM %2.records").arg(memo, file.state().schema));
  if (!st.ok()) {
    SetSqlError(file, st.prepareError());
    return 0;
  }
  const int rc = st.step();
  if (rc != SQLITE_ROW) {
    SetSqlError(file, rc);
    return 0;
  }
  return sqlite3_column_int64(st.get(), 0) * FixedBytes(decl) + sqlite3_column_int64(st.get(), 1);
}

} // namespace vx
