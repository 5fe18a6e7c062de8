#pragma once

// Internals shared by the keyed-file driver's source files; not for the driver's users.

#include "library/runtime/data/keyed_file.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace vx {

class ThreadStore;

// Where a sequential read goes on from. Unbounded: from the first (NEXT) or last (PREVIOUS)
// record of the order. Bounded: from the record at (key, id); `inclusive` lets that record
// itself be read next (after RESET), otherwise reading starts beside it. Id 0 stands before
// every record of that key value (a start value).
struct Cursor {
  static constexpr int kNoOrder = -2;
  static constexpr int kPhysical = -1;
  int order = kNoOrder;
  bool bounded = false;
  QByteArray key; // null when the position has no key value
  qint64 id = 0;
  bool inclusive = false;
};

// Rows read ahead by a sequential read, so that a run of NEXT or PREVIOUS costs one query
// per batch rather than one per record. A batch serves only while this program has written
// nothing since it was read (keyed_db::WriteGeneration); changes made by other programs show
// from the next batch on, and PUT still refuses a record changed meanwhile with 89.
class ReadAhead {
public:
  struct Row {
    qint64 id = 0;
    qint64 change = 0;
    QByteArray key;
    void *record = nullptr; // a record of the file's type, owned here
  };

  ReadAhead() = default;
  ~ReadAhead();
  ReadAhead(const ReadAhead &) = delete;
  ReadAhead &operator=(const ReadAhead &) = delete;

  const FileDecl *decl = nullptr; // whose rows these are
  RecordOps ops;                  // frees them, even after the declaration is gone at exit
  quint64 generation = 0;
  bool valid = false;
  int order = 0;
  bool forward = true;
  QByteArray low, high;
  qint64 lastId = 0; // the place of the last row handed out or skipped
  QByteArray lastKey;
  std::vector<Row> rows;
  size_t filled = 0;
  size_t next = 0;
  bool complete = false; // the query ended within this batch
  size_t batch = 0;
};

// A run-time thread's reading state of one file.
struct ReadState {
  qint64 current = 0; // rowid of the record last read; 0 when detached
  qint64 change = 0;  // its change counter as read
  Cursor cursor;
  ReadAhead ahead;
};

ReadState &ReadStateOf(const KeyedFile &file);

// The shared state of one file: open or not, its schema name on the shared connection and
// its prepared statements. Statements are reset after every use, so none stays active
// across a call that may give way to another thread.
struct KeyedFileState {
  bool open = false;
  bool readOnly = false;
  QString schema; // the ATTACH name while open
  int recoverMs = 0;
  QHash<QString, sqlite3_stmt *> statements;
  QHash<quint32, sqlite3_stmt *> readStatements; // the reads of navigation, by their shape
  QString columns;                               // "id, chg, fields..., memo" for SELECT
  QString insertSql;                             // made on first use while open
  QString updateSql;
};

// The one connection of the driver: the data files are attached to it, so a transaction
// covers several files and commits atomically (rollback journals tied by a super-journal).
namespace keyed_db {

sqlite3 *Connection(); // opens it on first use; null when it cannot be opened
QString ConnectionError();
QString AttachSchema(); // a free schema name; empty when every slot is taken
void ReleaseSchema(const QString &schema);
void SetBusyTimeout(int ms);        // 0 restores the default
void Detach(const QString &schema); // at once, or when the running transaction ends
void DetachPending();               // after a transaction: the detaches it held back
void CloseIfUnused();               // closes the connection when no file is attached

// A prepared statement of the file, reset on destruction. Bound texts and blobs are held
// by the object until then, so that SQLite reads them in place instead of copying each.
class Statement {
public:
  Statement(KeyedFile &file, const QString &sql);
  // A navigation read cached under `shape`; `sql` is called only to prepare it.
  Statement(KeyedFile &file, quint32 shape, const std::function<QString()> &sql);
  ~Statement();
  Statement(const Statement &) = delete;
  Statement &operator=(const Statement &) = delete;

  bool ok() const { return stmt_ != nullptr; }
  sqlite3_stmt *get() const { return stmt_; }
  int prepareError() const { return prepareRc_; }
  void bind(int index, qint64 value);
  void bind(int index, const QString &value);
  void bindBlob(int index, const QByteArray &value); // null binds SQL NULL
  int step();

private:
  // Prepares `sql` as a persistent statement on the shared connection; false (with the
  // driver's code kept for prepareError) when it cannot.
  bool Prepare(const QString &sql);
  const QByteArray &hold(QByteArray bytes);

  sqlite3_stmt *stmt_ = nullptr;
  int prepareRc_ = SQLITE_OK;
  std::vector<QByteArray> held_; // the bound bytes; moving a QByteArray keeps its data in place
};

void FinalizeStatements(KeyedFileState &state);
int Exec(const QString &sql);

// Counts the writes of this program (and opens, closes and rollbacks): read-ahead rows are
// good while it stands still.
quint64 WriteGeneration();
void BumpWriteGeneration();

// Transaction state of the connection.
bool TransactionActive();
ThreadStore *TransactionOwner();
// Waits, on the running run-time thread, until no transaction is active; the end of the
// transaction wakes it.
void WaitForTransactionEnd();

} // namespace keyed_db

// Sets the error state from a SQLite result code: busy and locked give 32, a unique
// constraint 40, a file that is not a database 47, anything else 90 with the driver's code
// and text.
void SetSqlError(const KeyedFile &file, int rc);

// Checks before a statement, setting the error when they fail: the file is open (37); for
// writes also not read-only (5) and not held by another thread's transaction (32).
bool RequireOpen(const KeyedFile &file);
bool RequireWritable(const KeyedFile &file);

// Position texts: the order, the record pointer and the key value, opaque to callers.
QString EncodePosition(int order, const QByteArray &key, qint64 id);
bool DecodePosition(const QString &text, int *order, QByteArray *key, qint64 *id);

// Reads the neighbour of `from` in its order (forward: the next, else the previous), within
// [low, high) of the sort key when they are given, skipping rows that `accept` refuses.
// Found: loads the record into this thread's buffer, makes it the record last read, sets
// `at` to its place and returns true. Otherwise sets 33 (no more) or the driver's error.
using RowFilter = std::function<bool(const void *record)>;
bool ReadNeighbour(KeyedFile &file, const Cursor &from, bool forward, const QByteArray &low,
                   const QByteArray &high, const RowFilter &accept, ReadAhead &ahead, Cursor *at);

// A quoted SQL identifier.
QString Quoted(const QString &identifier);

} // namespace vx
