#include "library/runtime/data/ini_file.h"

#include "library/runtime/data/atomic_file.h"
#include "library/runtime/data/ini_document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>

#include <cerrno>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace vx {

namespace {

Q_LOGGING_CATEGORY(lcIni, "vornix.ini")

constexpr qint64 kMaxIniBytes = 4 * 1024 * 1024;

struct Stamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  bool operator==(const Stamp &o) const {
    return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
  }
};

// What is known of one file: its parsed content, or why it could not be read.
struct Loaded {
  Stamp stamp;
  bool readable = true;
  std::shared_ptr<const IniDocument> doc;
};

Stamp StampOf(const QByteArray &path, int *statErrno) {
  struct stat st {};
  Stamp stamp;
  *statErrno = 0;
  if (::stat(path.constData(), &st) != 0) {
    *statErrno = errno;
    return stamp;
  }
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.modified = st.st_mtim;
  stamp.changed = st.st_ctim;
  return stamp;
}

class IniCache {
public:
  Loaded Get(const QString &path) {
    int statErrno = 0;
    Stamp stamp = StampOf(QFile::encodeName(path), &statErrno);
    std::lock_guard lock(mutex_);
    auto it = files_.constFind(path);
    if (it != files_.cend() && it->stamp == stamp)
      return *it;
    Loaded loaded = Load(path, stamp, statErrno);
    files_.insert(path, loaded);
    return loaded;
  }

  void Put(const QString &path, std::shared_ptr<const IniDocument> doc) {
    int statErrno = 0;
    Stamp stamp = StampOf(QFile::encodeName(path), &statErrno);
    std::lock_guard lock(mutex_);
    files_.insert(path, Loaded{stamp, true, std::move(doc)});
  }

private:
  static Loaded Load(const QString &path, const Stamp &stamp, int statErrno) {
    Loaded loaded{stamp, true, nullptr};
    if (!stamp.exists) {
      loaded.readable = statErrno == ENOENT || statErrno == ENOTDIR;
      loaded.doc = std::make_shared<IniDocument>();
      return loaded;
    }
    QFile f(path);
    if (stamp.size > kMaxIniBytes) {
      qCWarning(lcIni) << path << "is larger than a settings file can be; its settings are ignored";
      loaded.readable = false;
    } else if (!f.open(QIODevice::ReadOnly)) {
      qCWarning(lcIni) << "cannot read" << path << ":" << f.errorString();
      loaded.readable = false;
    }
    if (!loaded.readable) {
      loaded.doc = std::make_shared<IniDocument>();
      return loaded;
    }
    loaded.doc = std::make_shared<IniDocument>(IniDocument::Parse(f.read(kMaxIniBytes)));
    return loaded;
  }

  std::mutex mutex_;
  QHash<QString, Loaded> files_;
};

IniCache &Cache() {
  static IniCache cache;
  return cache;
}

// PUTINI is read-modify-write; this keeps two writers of one process from losing an entry.
std::mutex &WriteMutex() {
  static std::mutex m;
  return m;
}

// One setting waiting in a batch.
struct PendingEntry {
  QString section;
  QString entry;
  QString value;
};

// The files written inside this thread's open batches: the entries in the order they were
// put, and the document as it reads with them, so that GETINI sees them before the write.
struct PendingFile {
  std::shared_ptr<IniDocument> doc;
  std::vector<PendingEntry> entries;
};

struct Batch {
  int depth = 0;
  std::vector<QString> order;
  QHash<QString, PendingFile> files;
};

thread_local Batch batch;

// Applies `entries` to the file as it now is and replaces it once, when anything changed.
void WriteEntries(const QString &path, const std::vector<PendingEntry> &entries) {
  std::lock_guard lock(WriteMutex());
  Loaded loaded = Cache().Get(path);
  if (!loaded.readable) {
    qCWarning(lcIni) << "not writing settings to" << path << "which cannot be read";
    return;
  }
  auto doc = std::make_shared<IniDocument>(*loaded.doc);
  bool changed = false;
  for (const PendingEntry &e : entries) {
    switch (doc->SetValue(e.section, e.entry, e.value)) {
    case IniDocument::SetResult::Unchanged:
      break;
    case IniDocument::SetResult::BadName:
      qCWarning(lcIni) << "cannot store the setting" << e.section << e.entry << "in" << path;
      break;
    case IniDocument::SetResult::Changed:
      changed = true;
      break;
    }
  }
  if (!changed)
    return;
  QDir().mkpath(QFileInfo(path).absolutePath());
  QString error;
  if (!WriteFileAtomically(path, doc->Serialize(), &error)) {
    qCWarning(lcIni) << error;
    return;
  }
  Cache().Put(path, std::move(doc));
}

// PUTINI inside a batch: the entry joins the file's pending ones. Names that cannot be
// stored and files that cannot be read are refused here, as a direct write refuses them.
void PutPending(const QString &path, const QString &section, const QString &entry, const QString &value) {
  auto it = batch.files.find(path);
  if (it == batch.files.end()) {
    Loaded loaded = Cache().Get(path);
    if (!loaded.readable) {
      qCWarning(lcIni) << "not writing" << section << entry << "to" << path << "which cannot be read";
      return;
    }
    it = batch.files.insert(path, PendingFile{std::make_shared<IniDocument>(*loaded.doc), {}});
    batch.order.push_back(path);
  }
  switch (it->doc->SetValue(section, entry, value)) {
  case IniDocument::SetResult::Unchanged:
    return;
  case IniDocument::SetResult::BadName:
    qCWarning(lcIni) << "cannot store the setting" << section << entry << "in" << path;
    return;
  case IniDocument::SetResult::Changed:
    it->entries.push_back(PendingEntry{section, entry, value});
    return;
  }
}

QString ConfigFolder() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty())
    base = QDir::homePath() + QLatin1String("/.config");
  return base + QLatin1String("/vornix");
}

} // namespace

QString IniFilePath(const QString &file) {
  if (file.trimmed().isEmpty())
    return ConfigFolder() + QLatin1String("/VORNIX.INI");
  QString name = file.trimmed();
  name.replace(u'\\', u'/');
  if (!name.contains(u'/'))
    return ConfigFolder() + u'/' + name;
  return name;
}

QString GETINI(const QString &section, const QString &entry, const QString &defaultValue,
               const QString &file) {
  const QString path = IniFilePath(file);
  if (batch.depth > 0) {
    auto it = batch.files.constFind(path);
    if (it != batch.files.cend())
      return it->doc->Value(section, entry).value_or(defaultValue);
  }
  Loaded loaded = Cache().Get(path);
  return loaded.doc->Value(section, entry).value_or(defaultValue);
}

void PUTINI(const QString &section, const QString &entry, const QString &value, const QString &file) {
  const QString path = IniFilePath(file);
  if (batch.depth > 0)
    PutPending(path, section, entry, value);
  else
    WriteEntries(path, {PendingEntry{section, entry, value}});
}

IniWriteBatch::IniWriteBatch() {
  ++batch.depth;
}

IniWriteBatch::~IniWriteBatch() {
  if (--batch.depth > 0)
    return;
  const std::vector<QString> order = std::exchange(batch.order, {});
  const QHash<QString, PendingFile> files = std::exchange(batch.files, {});
  for (const QString &path : order) {
    const auto pending = files.constFind(path);
    if (!pending->entries.empty())
      WriteEntries(path, pending->entries);
  }
}

} // namespace vx
