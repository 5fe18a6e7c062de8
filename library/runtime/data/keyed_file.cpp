#include "library/runtime/data/keyed_file.h"

#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_internal.h"
#include "library/runtime/data/keyed_schema.h"
#include "library/runtime/data/new_file.h"
#include "library/runtime/windows/thread_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace vx {

namespace {

using ReadStates = std::unordered_map<const KeyedFile *, ReadState>;

QString DiskPath(const KeyedFile &file) {
  QString name = file.name();
  name.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return QDir::current().absoluteFilePath(name);
}

void SyncDirectory(const QString &path) {
  const int fd =
      ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// A private connection to a closed file, for CREATE and BUILD.
struct OwnConnection {
  explicit OwnConnection(const QString &path, int flags) {
    rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (db) {
      sqlite3_extended_result_codes(db, 1);
      sqlite3_busy_timeout(db, 2000);
    }
  }
  ~OwnConnection() { sqlite3_close_v2(db); }
  void fail(const KeyedFile &file) const {
    SetError(90, file.name(), sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
  }
  sqlite3 *db = nullptr;
  int rc;
};

void FailWithErrno(const KeyedFile &file, int error) {
  SetError(90, file.name(), error, QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

const KeyDef &Key::def() const {
  return file_->decl().keys[size_t(index_)];
}

KeyedFile::KeyedFile(const FileDecl &decl, BufferFn buffer)
    : decl_(decl), buffer_(buffer),
      name_(decl.diskName.isEmpty() ? QString() : decl.diskName + QStringLiteral(".KYF")),
      state_(std::make_unique<KeyedFileState>()) {
  for (int i = 0; i < int(decl.keys.size()); ++i)
    keys_.push_back(Key(this, i));
  state_->columns = keyed_schema::SelectColumns(decl);
}

KeyedFile::~KeyedFile() = default;

bool KeyedFile::isOpen() const {
  return state_->open;
}

ReadState &ReadStateOf(const KeyedFile &file) {
  return PerThread<ReadStates>()[&file];
}

QString Quoted(const QString &identifier) {
  return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
         QLatin1Char('"');
}

void OPEN(KeyedFile &file, FileAccess access) {
  // A file joins the connection only between transactions: an opening on another thread
  // than the transaction's waits for it to end.
  if (keyed_db::TransactionActive() && keyed_db::TransactionOwner() != &CurrentThreadStore())
    keyed_db::WaitForTransactionEnd();
  keyed_db::BumpWriteGeneration();
  ClearError();
  KeyedFileState &state = file.state();
  if (state.open) {
    SetError(52, file.name());
    return;
  }
  const QString path = DiskPath(file);
  if (!QFileInfo(path).isFile()) {
    SetError(2, file.name());
    return;
  }
  // SQLite writes its journal beside the file a link points to: a link planted under a data
  // file's name would have the program write elsewhere.
  if (IsSymbolicLink(QFile::encodeName(path))) {
    FailWithErrno(file, ELOOP);
    return;
  }
  if (keyed_db::TransactionActive()) {
    SetError(32, file.name());
    return;
  }
  sqlite3 *db = keyed_db::Connection();
  if (!db) {
    SetError(90, file.name(), SQLITE_CANTOPEN, keyed_db::ConnectionError());
    return;
  }
  const QString schema = keyed_db::AttachSchema();
  if (schema.isEmpty()) {
    SetError(90, file.name(), SQLITE_LIMIT_ATTACHED, QStringLiteral("too many files open"));
    return;
  }
  QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
  uri += access == FileAccess::SharedRead ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw");
  if (state.recoverMs > 0)
    keyed_db::SetBusyTimeout(state.recoverMs);
  state.recoverMs = 0;

  int rc = keyed_db::Exec(QStringLiteral("ATTACH DATABASE '%1' AS %2")
                              .arg(QString(uri).replace(QLatin1Char('\''), QLatin1String("''")), schema));
  int code = 0;
  if (rc == SQLITE_OK) {
    code = keyed_schema::Check(db, schema, file.decl(), &rc);
    if (code == 0)
      rc = keyed_db::Exec(QStringLiteral("PRAGMA %1.journal_mode = DELETE; PRAGMA %1.cache_size = -131072; "
                                         "PRAGMA %1.mmap_size = 1073741824")
                              .arg(schema));
    if (code != 0 || rc != SQLITE_OK)
      keyed_db::Exec(QStringLiteral("DETACH DATABASE %1").arg(schema));
  }
  keyed_db::SetBusyTimeout(0);
  if (code > 0 || rc != SQLITE_OK) {
    keyed_db::ReleaseSchema(schema);
    if (code > 0)
      SetError(code, file.name());
    else
      SetSqlError(file, rc);
    keyed_db::CloseIfUnused();
    return;
  }
  state.open = true;
  state.readOnly = access == FileAccess::SharedRead;
  state.schema = schema;
}

void CLOSE(KeyedFile &file) {
  keyed_db::BumpWriteGeneration();
  ClearError();
  KeyedFileState &state = file.state();
  if (!state.open)
    return;
  keyed_db::FinalizeStatements(state);
  state.insertSql.clear();
  state.updateSql.clear();
  keyed_db::Detach(state.schema);
  state.open = false;
  state.schema.clear();
  keyed_db::CloseIfUnused();
}

void CREATE(KeyedFile &file, CreateMode mode) {
  ClearError();
  if (file.state().open) {
    SetError(52, file.name());
    return;
  }
  const QString path = DiskPath(file);
  // Named for this process: another copy of the program may be creating the same file.
  const QString temp = path + QStringLiteral(".creating-%1").arg(::getpid());
  QFile::remove(temp);
  QFile::remove(temp + QStringLiteral("-journal"));
  // Created here rather than by SQLite, so that it gets the mode of the user's umask (and
  // its journal the same); a link planted at the name in between is refused.
  if (const int error = CreateIfMissing(QFile::encodeName(temp))) {
    FailWithErrno(file, error);
    return;
  }
  {
    OwnConnection own(temp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (own.rc != SQLITE_OK) {
      own.fail(file);
      QFile::remove(temp);
      return;
    }
    int rc = sqlite3_exec(own.db, "PRAGMA page_size = 16384; BEGIN", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
      rc = keyed_schema::Create(own.db, QStringLiteral("main"), file.decl());
    if (rc == SQLITE_OK)
      rc = sqlite3_exec(own.db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      own.fail(file);
      QFile::remove(temp);
      return;
    }
  }
  const QByteArray from = QFile::encodeName(temp), to = QFile::encodeName(path);
  if (mode == CreateMode::KeepExisting) {
    // A journal beside a file that is there may be another copy's transaction in progress.
    if (!QFileInfo::exists(path))
      QFile::remove(path + QStringLiteral("-journal"));
    int error = ::link(from.constData(), to.constData()) == 0 ? 0 : errno;
    QFile::remove(temp);
    struct stat st {};
    if (error == EEXIST && ::lstat(to.constData(), &st) == 0 && !S_ISREG(st.st_mode))
      error = S_ISDIR(st.st_mode) ? EISDIR : EEXIST;
    else if (error == EEXIST)
      error = 0;
    if (error != 0) {
      FailWithErrno(file, error);
      return;
    }
    SyncDirectory(path);
    return;
  }
  // A journal left by the file being replaced must not be played back into the new one.
  QFile::remove(path + QStringLiteral("-journal"));
  if (std::rename(from.constData(), to.constData()) != 0) {
    const int error = errno;
    QFile::remove(temp);
    FailWithErrno(file, error);
    return;
  }
  SyncDirectory(path);
}

void BUILD(KeyedFile &file) {
  keyed_db::BumpWriteGeneration();
  ClearError();
  KeyedFileState &state = file.state();
  if (state.open) {
    if (keyed_db::TransactionActive()) {
      SetError(56, file.name());
      return;
    }
    sqlite3 *db = keyed_db::Connection();
    int rc = keyed_db::Exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (rc == SQLITE_OK)
      rc = keyed_schema::Rebuild(db, state.schema, file.decl());
    if (rc == SQLITE_OK)
      rc = keyed_db::Exec(QStringLiteral("COMMIT"));
    if (rc != SQLITE_OK) {
      SetSqlError(file, rc);
      keyed_db::Exec(QStringLiteral("ROLLBACK"));
    }
    return;
  }
  const QString path = DiskPath(file);
  if (!QFileInfo(path).isFile()) {
    SetError(2, file.name());
    return;
  }
  OwnConnection own(path, SQLITE_OPEN_READWRITE);
  if (own.rc != SQLITE_OK) {
    own.fail(file);
    return;
  }
  int rc = SQLITE_OK;
  const int code = keyed_schema::Check(own.db, QStringLiteral("main"), file.decl(), &rc);
  if (code == 47) {
    SetError(47, file.name());
    return;
  }
  if (code < 0) {
    SetSqlError(file, rc);
    return;
  }
  rc = sqlite3_exec(own.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK)
    rc = keyed_schema::Rebuild(own.db, QStringLiteral("main"), file.decl());
  if (rc == SQLITE_OK)
    rc = sqlite3_exec(own.db, "COMMIT", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    if ((rc & 0xff) == SQLITE_CONSTRAINT)
      SetError(40, file.name());
    else
      own.fail(file);
    sqlite3_exec(own.db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

void REMOVE(KeyedFile &file) {
  ClearError();
  if (file.state().open) {
    SetError(52, file.name());
    return;
  }
  const QString path = DiskPath(file);
  if (!QFileInfo(path).isFile()) {
    SetError(2, file.name());
    return;
  }
  if (::unlink(QFile::encodeName(path).constData()) != 0)
    FailWithErrno(file, errno);
}

QString SEND(KeyedFile &file, const QString &option) {
  static const QRegularExpression recover(QStringLiteral("^\\s*recover\\s*=\\s*(\\d{1,4})\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch match = recover.match(option);
  if (match.hasMatch())
    file.state().recoverMs = match.captured(1).toInt() * 1000;
  return {};
}

} // namespace vx
