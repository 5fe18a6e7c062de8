#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_internal.h"
#include "library/runtime/data/new_file.h"

#include <QDir>
#include <QStringList>
#include <cstring>
#include <utility>

namespace vx {
namespace keyed_db {

namespace {

// The main database only names the super-journal of transactions over several files; it
// holds no data. It must be a real file for such commits to be atomic.
const char kMainDatabase[] = "KEYFILES.TXN";
constexpr int kMaxAttached = 10;
constexpr int kDefaultBusyMs = 2000;

struct ConnectionState {
  sqlite3 *db = nullptr;
  QString error;
  bool used[kMaxAttached] = {};
  QStringList pendingDetach;
};

ConnectionState &State() {
  static ConnectionState state;
  return state;
}

quint64 &Generation() {
  static quint64 generation = 0;
  return generation;
}

} // namespace

sqlite3 *Connection() {
  ConnectionState &s = State();
  if (s.db)
    return s.db;
  const QByteArray path = QDir::current().absoluteFilePath(QString::fromLatin1(kMainDatabase)).toUtf8();
  // Created with the mode of the user's umask (SQLite's own default ignores it), and never
  // through a link planted at its name.
  if (const int error = CreateIfMissing(path)) {
    s.error = QString::fromLocal8Bit(std::strerror(error));
    return nullptr;
  }
  sqlite3 *db = nullptr;
  const int rc = sqlite3_open_v2(path.constData(), &db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
  if (rc != SQLITE_OK) {
    s.error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, kDefaultBusyMs);
  s.db = db;
  return db;
}

QString ConnectionError() {
  return State().error;
}

QString AttachSchema() {
  ConnectionState &s = State();
  for (int i = 0; i < kMaxAttached; ++i) {
    if (!s.used[i]) {
      s.used[i] = true;
      return QStringLiteral("kf%1").arg(i);
    }
  }
  return {};
}

void ReleaseSchema(const QString &schema) {
  bool ok = false;
  const int slot = schema.mid(2).toInt(&ok);
  if (ok && slot >= 0 && slot < kMaxAttached)
    State().used[slot] = false;
}

void CloseIfUnused() {
  ConnectionState &s = State();
  if (!s.db || TransactionActive())
    return;
  for (bool used : s.used) {
    if (used)
      return;
  }
  sqlite3_close_v2(s.db);
  s.db = nullptr;
}

quint64 WriteGeneration() {
  return Generation();
}

void BumpWriteGeneration() {
  ++Generation();
}

void Detach(const QString &schema) {
  if (TransactionActive()) {
    State().pendingDetach << schema;
    return;
  }
  Exec(QStringLiteral("DETACH DATABASE %1").arg(schema));
  ReleaseSchema(schema);
}

void DetachPending() {
  const QStringList pending = std::exchange(State().pendingDetach, {});
  for (const QString &schema : pending)
    Detach(schema);
  CloseIfUnused();
}

void SetBusyTimeout(int ms) {
  if (State().db)
    sqlite3_busy_timeout(State().db, ms > 0 ? ms : kDefaultBusyMs);
}

Statement::Statement(KeyedFile &file, const QString &sql) {
  KeyedFileState &state = file.state();
  auto it = state.statements.constFind(sql);
  if (it != state.statements.constEnd()) {
    stmt_ = it.value();
    return;
  }
  if (Prepare(sql))
    state.statements.insert(sql, stmt_);
}

Statement::Statement(KeyedFile &file, quint32 shape, const std::function<QString()> &sql) {
  KeyedFileState &state = file.state();
  auto it = state.readStatements.constFind(shape);
  if (it != state.readStatements.constEnd()) {
    stmt_ = it.value();
    return;
  }
  if (Prepare(sql()))
    state.readStatements.insert(shape, stmt_);
}

bool Statement::Prepare(const QString &sql) {
  sqlite3 *db = Connection();
  if (!db) {
    prepareRc_ = SQLITE_CANTOPEN;
    return false;
  }
  const QByteArray text = sql.toUtf8();
  prepareRc_ =
      sqlite3_prepare_v3(db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
  if (prepareRc_ != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    return false;
  }
  return true;
}

Statement::~Statement() {
  if (stmt_) {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
}

void Statement::bind(int index, qint64 value) {
  sqlite3_bind_int64(stmt_, index, value);
}

const QByteArray &Statement::hold(QByteArray bytes) {
  if (held_.capacity() == 0)
    held_.reserve(size_t(sqlite3_bind_parameter_count(stmt_)));
  return held_.emplace_back(std::move(bytes));
}

void Statement::bind(int index, const QString &value) {
  const QByteArray &text = hold(value.toUtf8());
  sqlite3_bind_text(stmt_, index, text.constData(), int(text.size()), SQLITE_STATIC);
}

void Statement::bindBlob(int index, const QByteArray &value) {
  if (value.isNull())
    sqlite3_bind_null(stmt_, index);
  else
    sqlite3_bind_blob(stmt_, index, hold(value).constData(), int(value.size()), SQLITE_STATIC);
}

int Statement::step() {
  return sqlite3_step(stmt_);
}

void FinalizeStatements(KeyedFileState &state) {
  for (sqlite3_stmt *stmt : std::as_const(state.statements))
    sqlite3_finalize(stmt);
  state.statements.clear();
  for (sqlite3_stmt *stmt : std::as_const(state.readStatements))
    sqlite3_finalize(stmt);
  state.readStatements.clear();
}

int Exec(const QString &sql) {
  sqlite3 *db = Connection();
  if (!db)
    return SQLITE_CANTOPEN;
  return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
}

} // namespace keyed_db

void SetSqlError(const KeyedFile &file, int rc) {
  const int primary = rc & 0xff;
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
    SetError(32, file.name());
  } else if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) {
    SetError(40, file.name());
  } else if (primary == SQLITE_NOTADB) {
    SetError(47, file.name());
  } else {
    sqlite3 *db = keyed_db::Connection();
    const QString text = db && sqlite3_extended_errcode(db) == rc ? QString::fromUtf8(sqlite3_errmsg(db))
                                                                  : QString::fromUtf8(sqlite3_errstr(rc));
    SetError(90, file.name(), rc, text);
  }
}

} // namespace vx
