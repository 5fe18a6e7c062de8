#pragma once

// The layout of a keyed file's database, for the driver's own use.
//
// Table `records`: id (the record pointer, AUTOINCREMENT so never reused), chg (the change
// counter), one column per field, the memo, and one sort-key column per key. Each key has an
// index on (sort key, id); a unique key also has a unique index on its sort key. Table `meta`
// holds the format and the digests of the record layout and of the keys.

#include "library/runtime/data/record_layout.h"

#include <QString>
#include <sqlite3.h>

namespace vx::keyed_schema {

QString KeyColumnName(const KeyDef &key);
QString SelectColumns(const FileDecl &decl); // id, chg, fields..., memo

// Creates the tables and indexes in `schema` of `db`. Returns a SQLite result code.
int Create(sqlite3 *db, const QString &schema, const FileDecl &decl);

// Checks an attached file against the declaration: 0 when good, 47 when it is no keyed file
// of this record layout, 46 when its keys must be rebuilt, -1 with `rc` set when SQLite
// failed (busy, I/O).
int Check(sqlite3 *db, const QString &schema, const FileDecl &decl, int *rc);

// Recomputes every sort key and rebuilds the indexes, inside the caller's transaction.
// Returns a SQLite result code; SQLITE_CONSTRAINT_UNIQUE when records now duplicate a
// unique key.
int Rebuild(sqlite3 *db, const QString &schema, const FileDecl &decl);

// Loads a row selected with SelectColumns into a record.
void LoadRow(const FileDecl &decl, sqlite3_stmt *stmt, void *record);

} // namespace vx::keyed_schema
