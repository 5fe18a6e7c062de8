#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>

namespace ql {

enum class RegistryValueType { String, Dword, Binary };

// One named value of a key. The empty name is the key's default value.
struct RegistryValue {
  QString name;
  RegistryValueType type = RegistryValueType::String;
  QString string;
  quint32 dword = 0;
  QByteArray binary;
};

// A key of the registry tree: its name as first written, its subkeys and its values.
// Names are found without regard to case (maps are keyed by the case-folded name) and
// keep the case they were created with. A key owns its subkeys and values.
struct RegistryKey {
  QString name;
  std::map<QString, std::unique_ptr<RegistryKey>> subkeys;
  std::map<QString, RegistryValue> values;

  static QString Fold(const QString &name) { return name.toCaseFolded(); }

  RegistryKey *FindSubkey(const QString &subkeyName) const;
  RegistryKey &AddSubkey(const QString &subkeyName);
  const RegistryValue *FindValue(const QString &valueName) const;
  // Stores the value under its name, replacing one that differs only in case but keeping
  // that one's spelling.
  void SetValue(RegistryValue value);
};

} // namespace ql
