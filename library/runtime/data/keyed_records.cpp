#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_file.h"
#include "library/runtime/data/keyed_internal.h"
#include "library/runtime/data/keyed_schema.h"
#include "library/runtime/data/sort_key.h"
#include "library/runtime/windows/thread_store.h"

#include <QStringList>

namespace vx {

namespace {

using keyed_db::Statement;

QString ClipBlanks(const QString &text) {
  qsizetype end = text.size();
  while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
    --end;
  return text.left(end);
}

// Binds the buffer's fields, memo and sort keys from parameter `first` on; returns the next
// free parameter.
int BindRecord(Statement &st, const KeyedFile &file, const void *record, int first) {
  const FileDecl &decl = file.decl();
  int index = first;
  for (const FieldDef &f : decl.fields) {
    if (f.kind == FieldKind::Text)
      st.bind(index++, ClipBlanks(f.text(record).left(f.width)));
    else
      st.bind(index++, f.number(record));
  }
  if (decl.memo)
    st.bind(index++, decl.memo->get(record).left(decl.memo->width));
  for (const QByteArray &key : SortKeys(decl, record))
    st.bindBlob(index++, key);
  return index;
}

QStringList WrittenColumns(const FileDecl &decl) {
  QStringList columns;
  for (const FieldDef &f : decl.fields)
    columns << Quoted(f.name);
  if (decl.memo)
    columns << Quoted(decl.memo->name);
  for (const KeyDef &key : decl.keys)
    columns << Quoted(keyed_schema::KeyColumnName(key));
  return columns;
}

// Runs a SELECT of one row; on a row, loads it into the buffer as the record last read.
void ReadOne(KeyedFile &file, Statement &st) {
  const int rc = st.step();
  if (rc == SQLITE_ROW) {
    ReadState &read = ReadStateOf(file);
    read.current = sqlite3_column_int64(st.get(), 0);
    read.change = sqlite3_column_int64(st.get(), 1);
    keyed_schema::LoadRow(file.decl(), st.get(), file.buffer());
  } else if (rc == SQLITE_DONE) {
    SetError(35, file.name());
  } else {
    SetSqlError(file, rc);
  }
}

} // namespace

bool RequireOpen(const KeyedFile &file) {
  if (file.isOpen())
    return true;
  SetError(37, file.name());
  return false;
}

bool RequireWritable(const KeyedFile &file) {
  if (!RequireOpen(file))
    return false;
  if (file.state().readOnly) {
    SetError(5, file.name());
    return false;
  }
  if (keyed_db::TransactionActive() && keyed_db::TransactionOwner() != &CurrentThreadStore()) {
    SetError(32, file.name());
    return false;
  }
  return true;
}

void CLEAR(KeyedFile &file) {
  ClearRecordFields(file.decl(), file.buffer());
}

void ADD(KeyedFile &file) {
  keyed_db::BumpWriteGeneration();
  ClearError();
  if (!RequireWritable(file))
    return;
  // The buffer now stands for a new record: whatever happens, it is no longer the one read.
  ReadState &read = ReadStateOf(file);
  read.current = 0;
  read.change = 0;
  KeyedFileState &state = file.state();
  if (state.insertSql.isEmpty()) {
    const QStringList columns = WrittenColumns(file.decl());
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
      marks << QStringLiteral("?");
    state.insertSql = QStringLiteral("INSERT INTO %1.records(%2) VALUES (%3)")
                          .arg(state.schema, columns.join(QLatin1String(", ")), marks.join(QLatin1Char(',')));
  }
  Statement st(file, state.insertSql);
  if (!st.ok()) {
    SetSqlError(file, st.prepareError());
    return;
  }
  BindRecord(st, file, file.buffer(), 1);
  const int rc = st.step();
  if (rc != SQLITE_DONE) {
    SetSqlError(file, rc);
    return;
  }
  read.current = sqlite3_last_insert_rowid(keyed_db::Connection());
  read.change = 0;
}

void PUT(KeyedFile &file) {
  keyed_db::BumpWriteGeneration();
  ClearError();
  if (!RequireWritable(file))
    return;
  ReadState &read = ReadStateOf(file);
  if (read.current == 0) {
    SetError(33, file.name());
    return;
  }
  KeyedFileState &state = file.state();
  if (state.updateSql.isEmpty()) {
    QStringList assignments;
    for (const QString &column : WrittenColumns(file.decl()))
      assignments << column + QStringLiteral(" = ?");
    state.updateSql = QStringLiteral("UPDATE %1.records SET chg = chg + 1, %2 WHERE id = ? AND chg = ?")
                          .arg(state.schema, assignments.join(QLatin1String(", ")));
  }
  Statement st(file, state.updateSql);
  if (!st.ok()) {
    SetSqlError(file, st.prepareError());
    return;
  }
  const int next = BindRecord(st, file, file.buffer(), 1);
  st.bind(next, read.current);
  st.bind(next + 1, read.change);
  const int rc = st.step();
  if (rc != SQLITE_DONE) {
    SetSqlError(file, rc);
    return;
  }
  if (sqlite3_changes(keyed_db::Connection()) == 0) {
    SetError(89, file.name());
    return;
  }
  ++read.change;
}

void DELETE(KeyedFile &file) {
  keyed_db::BumpWriteGeneration();
  ClearError();
  if (!RequireWritable(file))
    return;
  ReadState &read = ReadStateOf(file);
  if (read.current == 0) {
    SetError(33, file.name());
    return;
  }
  Statement st(file,
               QStringLiteral("DELETE FROM %1.records WHERE id = ? AND chg = ?").arg(file.state().schema));
  if (!st.ok()) {
    SetSqlError(file, st.prepareError());
    return;
  }
  st.bind(1, read.current);
  st.bind(2, read.change);
  const int rc = st.step();
  if (rc != SQLITE_DONE) {
    SetSqlError(file, rc);
    return;
  }
  if (sqlite3_changes(keyed_db::Connection()) == 0) {
    SetError(89, file.name());
    return;
  }
  read.current = 0;
  read.change = 0;
}

void GET(const Key &key) {
  KeyedFile &file = key.file();
  ClearError();
  if (!RequireOpen(file))
    return;
  const QByteArray value = SortKey(file.decl(), key.def(), file.buffer());
  if (value.isNull()) {
    SetError(35, file.name());
    return;
  }
  const QString column = Quoted(keyed_schema::KeyColumnName(key.def()));
  Statement st(file, QStringLiteral("SELECT %1 FROM %2.records WHERE %3 = ? ORDER BY %3, id LIMIT 1")
                         .arg(file.state().columns, file.state().schema, column));
  if (!st.ok()) {
    SetSqlError(file, st.prepareError());
    return;
  }
  st.bindBlob(1, value);
  ReadOne(file, st);
}

void GET(KeyedFile &file, qint64 pointer) {
  ClearError();
  if (!RequireOpen(file))
    return;
  if (pointer == 0) {
    ReadState &read = ReadStateOf(file);
    read.current = 0;
    read.change = 0;
    return;
  }
  Statement st(file, QStringLiteral("SELECT %1 FROM %2.records WHERE id = ?")
                         .arg(file.state().columns, file.state().schema));
  if (!st.ok()) {
    SetSqlError(file, st.prepareError());
    return;
  }
  st.bind(1, pointer);
  ReadOne(file, st);
}

void REGET(const Key &key, const QString &position) {
  KeyedFile &file = key.file();
  ClearError();
  if (!RequireOpen(file))
    return;
  int order = 0;
  QByteArray value;
  qint64 id = 0;
  if (!DecodePosition(position, &order, &value, &id) || order != key.index() || value.isNull()) {
    SetError(35, file.name());
    return;
  }
  const QString column = Quoted(keyed_schema::KeyColumnName(key.def()));
  Statement st(file, QStringLiteral("SELECT %1 FROM %2.records WHERE %3 = ? AND id = ?")
                         .arg(file.state().columns, file.state().schema, column));
  if (!st.ok()) {
    SetSqlError(file, st.prepareError());
    return;
  }
  st.bindBlob(1, value);
  st.bind(2, id);
  ReadOne(file, st);
}

void REGET(KeyedFile &file, const QString &position) {
  ClearError();
  int order = 0;
  QByteArray value;
  qint64 id = 0;
  if (!DecodePosition(position, &order, &value, &id) || order != Cursor::kPhysical || id <= 0) {
    SetError(35, file.name());
    return;
  }
  GET(file, id);
}

bool DUPLICATE(const Key &key) {
  KeyedFile &file = key.file();
  ClearError();
  if (!key.def().unique || !RequireOpen(file))
    return false;
  const QByteArray value = SortKey(file.decl(), key.def(), file.buffer());
  if (value.isNull())
    return false;
  const QString column = Quoted(keyed_schema::KeyColumnName(key.def()));
  Statement st(file, QStringLiteral("SELECT 1 FROM %1.records WHERE %2 = ? AND id <> ? LIMIT 1")
                         .arg(file.state().schema, column));
  if (!st.ok()) {
    SetSqlError(file, st.prepareError());
    return false;
  }
  st.bindBlob(1, value);
  st.bind(2, ReadStateOf(file).current);
  const int rc = st.step();
  if (rc != SQLITE_ROW && rc != SQLITE_DONE)
    SetSqlError(file, rc);
  return rc == SQLITE_ROW;
}

bool DUPLICATE(KeyedFile &file) {
  for (int i = 0; i < file.keyCount(); ++i) {
    if (DUPLICATE(file.key(i)))
      return true;
  }
  return false;
}

qint64 RECORDS(KeyedFile &file) {
  ClearError();
  if (!RequireOpen(file))
    return 0;
  Statement st(file, QStringLiteral("SELECT count(*) FROM %1.records").arg(file.state().schema));
  if (!st.ok()) {
    SetSqlError(file, st.prepareError());
    return 0;
  }
  const int rc = st.step();
  if (rc != SQLITE_ROW) {
    SetSqlError(file, rc);
    return 0;
  }
  return sqlite3_column_int64(st.get(), 0);
}

qint64 POINTER(KeyedFile &file) {
  return ReadStateOf(file).current;
}

} // namespace vx
