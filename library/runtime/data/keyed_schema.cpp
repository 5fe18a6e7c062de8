#include "library/runtime/data/keyed_schema.h"

#include "library/runtime/data/sort_key.h"

#include <QSet>
#include <QStringList>
#include <memory>
#include <vector>

namespace vx::keyed_schema {

namespace {

const char kFormat[] = "keyed-file-1";

QString Q(const QString &identifier) {
  return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
         QLatin1Char('"');
}

QString IndexName(const KeyDef &key) {
  return QStringLiteral("key_") + key.name;
}
QString UniqueIndexName(const KeyDef &key) {
  return QStringLiteral("unique_") + key.name;
}

int Exec(sqlite3 *db, const QString &sql) {
  return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
}

struct Stmt {
  Stmt(sqlite3 *db, const QString &sql) {
    const QByteArray text = sql.toUtf8();
    rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr);
  }
  ~Stmt() { sqlite3_finalize(stmt); }
  sqlite3_stmt *stmt = nullptr;
  int rc;
};

int CreateIndexes(sqlite3 *db, const QString &schema, const FileDecl &decl) {
  for (const KeyDef &key : decl.keys) {
    const QString column = Q(KeyColumnName(key));
    int rc = Exec(
        db,
        QStringLiteral("CREATE INDEX %1.%2 ON records(%3, id)").arg(Q(schema), Q(IndexName(key)), column));
    if (rc == SQLITE_OK && key.unique)
      rc = Exec(db, QStringLiteral("CREATE UNIQUE INDEX %1.%2 ON records(%3)")
                        .arg(Q(schema), Q(UniqueIndexName(key)), column));
    if (rc != SQLITE_OK)
      return rc;
  }
  return SQLITE_OK;
}

int WriteMeta(sqlite3 *db, const QString &schema, const FileDecl &decl) {
  Stmt st(db, QStringLiteral("INSERT OR REPLACE INTO %1.meta(name, value) VALUES (?, ?)").arg(Q(schema)));
  if (st.rc != SQLITE_OK)
    return st.rc;
  const std::pair<const char *, QByteArray> rows[] = {
      {"format", QByteArray(kFormat)}, {"record", decl.recordDigest()}, {"keys", decl.keysDigest()}};
  for (const auto &[name, value] : rows) {
    sqlite3_bind_text(st.stmt, 1, name, -1, SQLITE_STATIC);
    sqlite3_bind_text(st.stmt, 2, value.constData(), int(value.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(st.stmt);
    sqlite3_reset(st.stmt);
    if (rc != SQLITE_DONE)
      return rc;
  }
  return SQLITE_OK;
}

} // namespace

QString KeyColumnName(const KeyDef &key) {
  return QStringLiteral("k_") + key.name;
}

QString SelectColumns(const FileDecl &decl) {
  QStringList columns{QStringLiteral("id"), QStringLiteral("chg")};
  for (const FieldDef &f : decl.fields)
    columns << Q(f.name);
  if (decl.memo)
    columns << Q(decl.memo->name);
  return columns.join(QLatin1String(", "));
}

int Create(sqlite3 *db, const QString &schema, const FileDecl &decl) {
  QStringList columns{QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT"),
                      QStringLiteral("chg INTEGER NOT NULL DEFAULT 0")};
  for (const FieldDef &f : decl.fields)
    columns << Q(f.name) + (f.kind == FieldKind::Text ? QStringLiteral(" TEXT NOT NULL DEFAULT ''")
                                                      : QStringLiteral(" INTEGER NOT NULL DEFAULT 0"));
  if (decl.memo)
    columns << Q(decl.memo->name) + QStringLiteral(" TEXT NOT NULL DEFAULT ''");
  for (const KeyDef &key : decl.keys)
    columns << Q(KeyColumnName(key)) + QStringLiteral(" BLOB");
  int rc = Exec(
      db, QStringLiteral("CREATE TABLE %1.meta(name TEXT PRIMARY KEY, value TEXT NOT NULL)").arg(Q(schema)));
  if (rc == SQLITE_OK)
    rc = Exec(
        db, QStringLiteral("CREATE TABLE %1.records(%2)").arg(Q(schema), columns.join(QLatin1String(", "))));
  if (rc == SQLITE_OK)
    rc = CreateIndexes(db, schema, decl);
  if (rc == SQLITE_OK)
    rc = WriteMeta(db, schema, decl);
  return rc;
}

int Check(sqlite3 *db, const QString &schema, const FileDecl &decl, int *rc) {
  QByteArray format, record, keys;
  {
    Stmt st(db, QStringLiteral("SELECT name, value FROM %1.meta").arg(Q(schema)));
    if (st.rc != SQLITE_OK) {
      const int primary = st.rc & 0xff;
      if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_IOERR ||
          primary == SQLITE_CANTOPEN) {
        *rc = st.rc;
        return -1;
      }
      return 47; // not a database, or no meta table: a foreign file
    }
    int step;
    while ((step = sqlite3_step(st.stmt)) == SQLITE_ROW) {
      const QByteArray name(reinterpret_cast<const char *>(sqlite3_column_text(st.stmt, 0)));
      const QByteArray value(reinterpret_cast<const char *>(sqlite3_column_text(st.stmt, 1)));
      if (name == "format")
        format = value;
      else if (name == "record")
        record = value;
      else if (name == "keys")
        keys = value;
    }
    if (step != SQLITE_DONE) {
      if ((step & 0xff) == SQLITE_NOTADB || (step & 0xff) == SQLITE_CORRUPT)
        return 47;
      *rc = step;
      return -1;
    }
  }
  if (format != kFormat || record != decl.recordDigest())
    return 47;
  if (keys != decl.keysDigest())
    return 46;
  QSet<QString> indexes;
  {
    Stmt st(db, QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'index'").arg(Q(schema)));
    if (st.rc != SQLITE_OK) {
      *rc = st.rc;
      return -1;
    }
    while (sqlite3_step(st.stmt) == SQLITE_ROW)
      indexes.insert(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.stmt, 0))));
  }
  for (const KeyDef &key : decl.keys) {
    if (!indexes.contains(IndexName(key)) || (key.unique && !indexes.contains(UniqueIndexName(key))))
      return 46;
  }
  return 0;
}

int Rebuild(sqlite3 *db, const QString &schema, const FileDecl &decl) {
  // Drop every index of ours, add missing key columns, recompute the keys, index again.
  QStringList drop;
  QSet<QString> present;
  {
    Stmt st(db, QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'index' AND "
                               "(name LIKE 'key\\_%' ESCAPE '\\' OR name LIKE 'unique\\_%' ESCAPE '\\')")
                    .arg(Q(schema)));
    if (st.rc != SQLITE_OK)
      return st.rc;
    while (sqlite3_step(st.stmt) == SQLITE_ROW)
      drop << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.stmt, 0)));
  }
  {
    Stmt st(db, QStringLiteral("PRAGMA %1.table_info(records)").arg(Q(schema)));
    if (st.rc != SQLITE_OK)
      return st.rc;
    while (sqlite3_step(st.stmt) == SQLITE_ROW)
      present.insert(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.stmt, 1))));
  }
  for (const QString &index : std::as_const(drop)) {
    const int rc = Exec(db, QStringLiteral("DROP INDEX %1.%2").arg(Q(schema), Q(index)));
    if (rc != SQLITE_OK)
      return rc;
  }
  QStringList assignments;
  for (const KeyDef &key : decl.keys) {
    const QString column = KeyColumnName(key);
    if (!present.contains(column)) {
      const int rc =
          Exec(db, QStringLiteral("ALTER TABLE %1.records ADD COLUMN %2 BLOB").arg(Q(schema), Q(column)));
      if (rc != SQLITE_OK)
        return rc;
    }
    assignments << Q(column) + QStringLiteral(" = ?");
  }
  if (!assignments.isEmpty()) {
    // In batches by id, so that no row is written while the read that found it is active.
    Stmt read(db, QStringLiteral("SELECT %1 FROM %2.records WHERE id > ? ORDER BY id LIMIT 512")
                      .arg(SelectColumns(decl), Q(schema)));
    Stmt write(db, QStringLiteral("UPDATE %1.records SET %2 WHERE id = ?")
                       .arg(Q(schema), assignments.join(QLatin1String(", "))));
    if (read.rc != SQLITE_OK)
      return read.rc;
    if (write.rc != SQLITE_OK)
      return write.rc;
    std::unique_ptr<void, void (*)(void *)> record(decl.ops.make(), decl.ops.destroy);
    std::vector<std::pair<qint64, std::vector<QByteArray>>> batch;
    qint64 last = 0;
    do {
      batch.clear();
      sqlite3_bind_int64(read.stmt, 1, last);
      int step;
      while ((step = sqlite3_step(read.stmt)) == SQLITE_ROW) {
        LoadRow(decl, read.stmt, record.get());
        std::vector<QByteArray> values = SortKeys(decl, record.get());
        last = sqlite3_column_int64(read.stmt, 0);
        batch.emplace_back(last, std::move(values));
      }
      sqlite3_reset(read.stmt);
      if (step != SQLITE_DONE)
        return step;
      for (const auto &[id, values] : batch) {
        int column = 1;
        for (const QByteArray &value : values) {
          if (value.isNull())
            sqlite3_bind_null(write.stmt, column);
          else
            sqlite3_bind_blob(write.stmt, column, value.constData(), int(value.size()), SQLITE_TRANSIENT);
          ++column;
        }
        sqlite3_bind_int64(write.stmt, column, id);
        const int rc = sqlite3_step(write.stmt);
        sqlite3_reset(write.stmt);
        if (rc != SQLITE_DONE)
          return rc;
      }
    } while (!batch.empty());
  }
  const int rc = CreateIndexes(db, schema, decl);
  return rc == SQLITE_OK ? WriteMeta(db, schema, decl) : rc;
}

void LoadRow(const FileDecl &decl, sqlite3_stmt *stmt, void *record) {
  int column = 2;
  for (const FieldDef &f : decl.fields) {
    if (f.kind == FieldKind::Text) {
      const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
      f.setText(record, QString::fromUtf8(text, sqlite3_column_bytes(stmt, column)));
    } else {
      f.setNumber(record, sqlite3_column_int64(stmt, column));
    }
    ++column;
  }
  if (decl.memo) {
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    decl.memo->set(record, QString::fromUtf8(text, sqlite3_column_bytes(stmt, column)));
  }
}

} // namespace vx::keyed_schema
