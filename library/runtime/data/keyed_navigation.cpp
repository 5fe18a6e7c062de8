#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_file.h"
#include "library/runtime/data/keyed_internal.h"
#include "library/runtime/data/keyed_schema.h"
#include "library/runtime/data/sort_key.h"

#include <algorithm>
#include <limits>

namespace vx {

namespace {

// Position text: one character for the order ('P' physical, 'A' + key index), sixteen hex
// digits of the record pointer, then '-' (no key value) or '=' and the key bytes, one
// character per byte.
constexpr int kIdDigits = 16;

} // namespace

QString EncodePosition(int order, const QByteArray &key, qint64 id) {
  QString text;
  text.reserve(2 + kIdDigits + key.size());
  text += order == Cursor::kPhysical ? QLatin1Char('P') : QChar(u'A' + order);
  text += QStringLiteral("%1").arg(quint64(id), kIdDigits, 16, QLatin1Char('0'));
  if (key.isNull()) {
    text += QLatin1Char('-');
  } else {
    text += QLatin1Char('=');
    for (char byte : key)
      text += QChar(uchar(byte));
  }
  return text;
}

bool DecodePosition(const QString &text, int *order, QByteArray *key, qint64 *id) {
  if (text.size() < 2 + kIdDigits)
    return false;
  const QChar kind = text.at(0);
  if (kind == QLatin1Char('P'))
    *order = Cursor::kPhysical;
  else if (kind.unicode() >= u'A' && kind.unicode() < u'A' + 26)
    *order = kind.unicode() - u'A';
  else
    return false;
  bool ok = false;
  const quint64 pointer = text.mid(1, kIdDigits).toULongLong(&ok, 16);
  if (!ok || pointer > quint64(std::numeric_limits<qint64>::max()))
    return false;
  *id = qint64(pointer);
  const QChar mark = text.at(1 + kIdDigits);
  if (mark == QLatin1Char('-')) {
    *key = QByteArray();
    return text.size() == 2 + kIdDigits;
  }
  if (mark != QLatin1Char('='))
    return false;
  QByteArray bytes(text.size() - 2 - kIdDigits, Qt::Uninitialized);
  for (qsizetype i = 2 + kIdDigits; i < text.size(); ++i) {
    if (text.at(i).unicode() > 0xff)
      return false;
    bytes[i - 2 - kIdDigits] = char(text.at(i).unicode());
  }
  *key = bytes.isNull() ? QByteArray("") : bytes;
  return true;
}

ReadAhead::~ReadAhead() {
  for (Row &row : rows)
    ops.destroy(row.record);
}

namespace {

constexpr size_t kFirstBatch = 8;
constexpr size_t kLargestBatch = 256;

// Whether the read-ahead rows continue the read from `from`.
bool Continues(const ReadAhead &ahead, const KeyedFile &file, const Cursor &from, bool forward,
               const QByteArray &low, const QByteArray &high) {
  return ahead.valid && ahead.decl == &file.decl() && ahead.generation == keyed_db::WriteGeneration() &&
         ahead.order == from.order && ahead.forward == forward && from.bounded && !from.inclusive &&
         from.id == ahead.lastId && from.key == ahead.lastKey && ahead.low == low && ahead.high == high;
}

// Reads the next batch of rows from `from` into `ahead`. False on a driver error.
bool Fill(KeyedFile &file, const Cursor &from, bool forward, const QByteArray &low, const QByteArray &high,
          ReadAhead &ahead) {
  const KeyedFileState &state = file.state();
  const bool physical = from.order == Cursor::kPhysical;
  const bool bounded = from.bounded && (physical || !from.key.isNull());
  const bool ranged = !physical && !low.isNull();
  const quint32 shape = (quint32(from.order + 2) << 4) | (forward ? 1u : 0u) | (bounded ? 2u : 0u) |
                        (from.inclusive ? 4u : 0u) | (ranged ? 8u : 0u);
  keyed_db::Statement st(file, shape, [&]() {
    const QString column =
        physical ? QString() : Quoted(keyed_schema::KeyColumnName(file.key(from.order).def()));
    QString where;
    auto add = [&where](const QString &condition) {
      where += where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ");
      where += condition;
    };
    const QString op = forward ? (from.inclusive ? QStringLiteral(">=") : QStringLiteral(">"))
                               : (from.inclusive ? QStringLiteral("<=") : QStringLiteral("<"));
    if (physical) {
      if (bounded)
        add(QStringLiteral("id %1 :id").arg(op));
    } else {
      if (bounded)
        add(QStringLiteral("(%1, id) %2 (:key, :id)").arg(column, op));
      if (ranged)
        add(QStringLiteral("%1 >= :low AND %1 < :high").arg(column));
      if (!bounded && !ranged)
        add(QStringLiteral("%1 IS NOT NULL").arg(column));
    }
    const QString direction = forward ? QString() : QStringLiteral(" DESC");
    const QString orderBy = physical ? QStringLiteral(" ORDER BY id%1").arg(direction)
                                     : QStringLiteral(" ORDER BY %1%2, id%2").arg(column, direction);
    return QStringLiteral("SELECT %1%2 FROM %3.records%4%5 LIMIT :limit")
        .arg(state.columns, physical ? QString() : QStringLiteral(", ") + column, state.schema, where,
             orderBy);
  });
  if (!st.ok()) {
    SetSqlError(file, st.prepareError());
    return false;
  }
  sqlite3_stmt *stmt = st.get();
  if (bounded) {
    if (!physical)
      st.bindBlob(sqlite3_bind_parameter_index(stmt, ":key"), from.key);
    st.bind(sqlite3_bind_parameter_index(stmt, ":id"), from.id);
  }
  if (ranged) {
    st.bindBlob(sqlite3_bind_parameter_index(stmt, ":low"), low);
    st.bindBlob(sqlite3_bind_parameter_index(stmt, ":high"), high);
  }
  const bool continuing = Continues(ahead, file, from, forward, low, high);
  const size_t batch = continuing ? std::min(ahead.batch * 2, kLargestBatch) : kFirstBatch;
  st.bind(sqlite3_bind_parameter_index(stmt, ":limit"), qint64(batch));

  if (ahead.decl != &file.decl()) {
    for (ReadAhead::Row &row : ahead.rows)
      ahead.ops.destroy(row.record);
    ahead.rows.clear();
    ahead.decl = &file.decl();
    ahead.ops = file.decl().ops;
  }
  ahead.valid = false;
  ahead.filled = 0;
  ahead.next = 0;
  // Each row must lie past the one before it in the read's direction (the first past `from`).
  // A damaged file whose b-tree hands back rows out of order is a read error, never a read
  // that goes round in circles.
  bool checkFirst = bounded;
  QByteArray lastKey = from.key;
  qint64 lastId = from.id;
  int rc;
  while ((rc = st.step()) == SQLITE_ROW) {
    if (ahead.filled == ahead.rows.size())
      ahead.rows.push_back(ReadAhead::Row{0, 0, {}, file.decl().ops.make()});
    ReadAhead::Row &row = ahead.rows[ahead.filled++];
    row.id = sqlite3_column_int64(stmt, 0);
    row.change = sqlite3_column_int64(stmt, 1);
    keyed_schema::LoadRow(file.decl(), stmt, row.record);
    if (physical) {
      row.key = QByteArray();
    } else {
      const int keyColumn = sqlite3_column_count(stmt) - 1;
      row.key = QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, keyColumn)),
                           sqlite3_column_bytes(stmt, keyColumn));
    }
    if (ahead.filled > 1 || checkFirst) {
      const int order = physical || row.key == lastKey ? (row.id > lastId) - (row.id < lastId)
                                                       : (row.key > lastKey) - (row.key < lastKey);
      const bool inOrder = forward ? (order > 0 || (order == 0 && checkFirst && from.inclusive))
                                   : (order < 0 || (order == 0 && checkFirst && from.inclusive));
      if (!inOrder) {
        SetSqlError(file, SQLITE_CORRUPT);
        return false;
      }
    }
    checkFirst = false;
    lastKey = row.key;
    lastId = row.id;
  }
  if (rc != SQLITE_DONE) {
    SetSqlError(file, rc);
    return false;
  }
  ahead.valid = true;
  ahead.generation = keyed_db::WriteGeneration();
  ahead.order = from.order;
  ahead.forward = forward;
  ahead.low = low;
  ahead.high = high;
  ahead.lastId = from.id;
  ahead.lastKey = from.key;
  ahead.complete = ahead.filled < batch;
  ahead.batch = batch;
  return true;
}

} // namespace

bool ReadNeighbour(KeyedFile &file, const Cursor &from, bool forward, const QByteArray &low,
                   const QByteArray &high, const RowFilter &accept, ReadAhead &ahead, Cursor *at) {
  if (!RequireOpen(file))
    return false;
  Cursor place = from;
  for (;;) {
    const bool reuse = Continues(ahead, file, place, forward, low, high) && ahead.next < ahead.filled;
    const bool ended = Continues(ahead, file, place, forward, low, high) && ahead.complete;
    if (!reuse) {
      if (ended) {
        SetError(33, file.name());
        return false;
      }
      if (!Fill(file, place, forward, low, high, ahead))
        return false;
      if (ahead.filled == 0) {
        SetError(33, file.name());
        return false;
      }
    }
    while (ahead.next < ahead.filled) {
      const ReadAhead::Row &row = ahead.rows[ahead.next++];
      ahead.lastId = row.id;
      ahead.lastKey = row.key;
      if (accept && !accept(row.record))
        continue;
      ReadState &read = ReadStateOf(file);
      read.current = row.id;
      read.change = row.change;
      file.decl().ops.copy(file.buffer(), row.record);
      *at = Cursor{from.order, true, row.key, row.id, false};
      return true;
    }
    place = Cursor{from.order, true, ahead.lastKey, ahead.lastId, false};
  }
}

void SET(const Key &key) {
  ClearError();
  ReadStateOf(key.file()).cursor = Cursor{key.index(), false, {}, 0, false};
}

void SET(const Key &key, const Key &start) {
  ClearError();
  KeyedFile &file = key.file();
  const QByteArray value = SortKey(file.decl(), start.def(), file.buffer(), false);
  ReadStateOf(file).cursor = Cursor{key.index(), true, value, 0, false};
}

void SET(KeyedFile &file) {
  ClearError();
  ReadStateOf(file).cursor = Cursor{Cursor::kPhysical, false, {}, 0, false};
}

namespace {

void Step(KeyedFile &file, bool forward) {
  ClearError();
  Cursor &cursor = ReadStateOf(file).cursor;
  if (cursor.order == Cursor::kNoOrder) {
    SetError(33, file.name());
    return;
  }
  Cursor at;
  ReadState &read = ReadStateOf(file);
  if (ReadNeighbour(file, cursor, forward, {}, {}, {}, read.ahead, &at))
    read.cursor = at;
}

} // namespace

void NEXT(KeyedFile &file) {
  Step(file, true);
}

void PREVIOUS(KeyedFile &file) {
  Step(file, false);
}

QString POSITION(const Key &key) {
  KeyedFile &file = key.file();
  return EncodePosition(key.index(), SortKey(file.decl(), key.def(), file.buffer()),
                        ReadStateOf(file).current);
}

QString POSITION(KeyedFile &file) {
  return EncodePosition(Cursor::kPhysical, {}, ReadStateOf(file).current);
}

namespace {

void ResetTo(KeyedFile &file, int expectedOrder, const QString &position) {
  ClearError();
  int order = 0;
  QByteArray value;
  qint64 id = 0;
  if (!DecodePosition(position, &order, &value, &id) || order != expectedOrder) {
    SetError(35, file.name());
    return;
  }
  ReadStateOf(file).cursor = Cursor{order, true, value, id, true};
}

} // namespace

void RESET(const Key &key, const QString &position) {
  ResetTo(key.file(), key.index(), position);
}

void RESET(KeyedFile &file, const QString &position) {
  ResetTo(file, Cursor::kPhysical, position);
}

} // namespace vx
