#include "proxy/platform/registry.h"

#include "proxy/platform/atomic_file.h"

#include <QFile>
#include <QtDebug>

#include <utility>

namespace ql {
namespace {

// Larger files are not a registry this program wrote.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

QStringList SplitKeyPath(const QString &key) {
  QStringList names = key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
  for (const QString &name : names) {
    for (QChar c : name) {
      if (c.unicode() < 0x20)
        throw RegistryError("Invalid key name \"" + key.toStdString() + "\"");
    }
  }
  return names;
}

const char *TypeName(RegistryValueType type) {
  switch (type) {
  case RegistryValueType::String:
    return "string";
  case RegistryValueType::Dword:
    return "dword";
  case RegistryValueType::Binary:
    return "binary";
  }
  return "unknown";
}

} // namespace

Registry::Registry(const QString &path) : path_(path) {
  QFile file(path_);
  if (!file.exists())
    return;
  QString error;
  if (!file.open(QIODevice::ReadOnly)) {
    error = file.errorString();
  } else if (file.size() > kMaxFileSize) {
    error = QStringLiteral("the file is larger than %1 bytes").arg(kMaxFileSize);
  } else {
    QByteArray text = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
      error = file.errorString();
    else if (!ParseRegistryText(text, roots_, error))
      roots_ = RegistryRoots();
  }
  if (!error.isEmpty()) {
    loadError_ = path_ + QStringLiteral(": ") + error;
    qWarning().noquote() << "Registry not loaded, using defaults and leaving the file alone:" << loadError_;
  }
}

QString Registry::DefaultPath() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty())
    base = qEnvironmentVariable("HOME") + QStringLiteral("/.config");
  return base + QStringLiteral("/quenlark/registry.reg");
}

Registry &Registry::Instance() {
  static Registry registry(DefaultPath());
  return registry;
}

RegistryKey &Registry::Root(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? roots_.currentUser : roots_.localMachine;
}

const RegistryKey &Registry::Root(RegistryRoot root) const {
  return root == RegistryRoot::CurrentUser ? roots_.currentUser : roots_.localMachine;
}

const RegistryKey *Registry::FindKey(RegistryRoot root, const QString &key) const {
  const RegistryKey *node = &Root(root);
  for (const QString &name : SplitKeyPath(key)) {
    node = node->FindSubkey(name);
    if (!node)
      return nullptr;
  }
  return node;
}

RegistryKey *Registry::FindKey(RegistryRoot root, const QString &key) {
  return const_cast<RegistryKey *>(std::as_const(*this).FindKey(root, key));
}

RegistryKey &Registry::MakeKey(RegistryRoot root, const QString &key) {
  RegistryKey *node = &Root(root);
  for (const QString &name : SplitKeyPath(key))
    node = &node->AddSubkey(name);
  return *node;
}

bool Registry::KeyExists(RegistryRoot root, const QString &key) const {
  return FindKey(root, key) != nullptr;
}

void Registry::CreateKey(RegistryRoot root, const QString &key) {
  if (KeyExists(root, key))
    return;
  MakeKey(root, key);
  Save();
}

void Registry::DeleteKey(RegistryRoot root, const QString &key) {
  QStringList names = SplitKeyPath(key);
  if (names.isEmpty())
    throw RegistryError("A root key cannot be deleted");
  QString last = names.takeLast();
  RegistryKey *parent = FindKey(root, names.join(QLatin1Char('\\')));
  if (!parent || !parent->subkeys.erase(RegistryKey::Fold(last)))
    return;
  Save();
}

QStringList Registry::SubKeyNames(RegistryRoot root, const QString &key) const {
  QStringList names;
  if (const RegistryKey *node = FindKey(root, key)) {
    for (const auto &[folded, subkey] : node->subkeys)
      names << subkey->name;
  }
  return names;
}

QStringList Registry::ValueNames(RegistryRoot root, const QString &key) const {
  QStringList names;
  if (const RegistryKey *node = FindKey(root, key)) {
    for (const auto &[folded, value] : node->values)
      names << value.name;
  }
  return names;
}

bool Registry::ValueExists(RegistryRoot root, const QString &key, const QString &name) const {
  const RegistryKey *node = FindKey(root, key);
  return node && node->FindValue(name);
}

const RegistryValue &Registry::FindTyped(RegistryRoot root, const QString &key, const QString &name,
                                         RegistryValueType type) const {
  const RegistryKey *node = FindKey(root, key);
  if (!node)
    throw RegistryError("Registry key \"" + key.toStdString() + "\" does not exist");
  const RegistryValue *value = node->FindValue(name);
  if (!value)
    throw RegistryError("Registry value \"" + name.toStdString() + "\" of key \"" + key.toStdString() +
                        "\" does not exist");
  if (value->type != type)
    throw RegistryError("Registry value \"" + name.toStdString() + "\" of key \"" + key.toStdString() +
                        "\" is a " + TypeName(value->type) + ", not a " + TypeName(type));
  return *value;
}

QString Registry::ReadString(RegistryRoot root, const QString &key, const QString &name) const {
  return FindTyped(root, key, name, RegistryValueType::String).string;
}

quint32 Registry::ReadDword(RegistryRoot root, const QString &key, const QString &name) const {
  return FindTyped(root, key, name, RegistryValueType::Dword).dword;
}

QByteArray Registry::ReadBinary(RegistryRoot root, const QString &key, const QString &name) const {
  return FindTyped(root, key, name, RegistryValueType::Binary).binary;
}

void Registry::SetValue(RegistryRoot root, const QString &key, RegistryValue value) {
  // A value written again as it is changes nothing, and the file is left alone.
  if (const RegistryKey *node = FindKey(root, key)) {
    const RegistryValue *old = node->FindValue(value.name);
    if (old != nullptr && old->type == value.type && old->string == value.string &&
        old->dword == value.dword && old->binary == value.binary)
      return;
  }
  MakeKey(root, key).SetValue(std::move(value));
  Save();
}

void Registry::WriteString(RegistryRoot root, const QString &key, const QString &name, const QString &value) {
  RegistryValue v;
  v.name = name;
  v.type = RegistryValueType::String;
  v.string = value;
  SetValue(root, key, std::move(v));
}

void Registry::WriteDword(RegistryRoot root, const QString &key, const QString &name, quint32 value) {
  RegistryValue v;
  v.name = name;
  v.type = RegistryValueType::Dword;
  v.dword = value;
  SetValue(root, key, std::move(v));
}

void Registry::WriteBinary(RegistryRoot root, const QString &key, const QString &name,
                           const QByteArray &value) {
  RegistryValue v;
  v.name = name;
  v.type = RegistryValueType::Binary;
  v.binary = value;
  SetValue(root, key, std::move(v));
}

void Registry::DeleteValue(RegistryRoot root, const QString &key, const QString &name) {
  RegistryKey *node = FindKey(root, key);
  if (!node || !node->values.erase(RegistryKey::Fold(name)))
    return;
  Save();
}

void Registry::Save() {
  if (!loadError_.isEmpty())
    return;
  try {
    WriteFileAtomically(path_, FormatRegistryText(roots_));
  } catch (const FileWriteError &e) {
    throw RegistryError(e.what());
  }
}

} // namespace ql
