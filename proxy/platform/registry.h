#pragma once

#include "proxy/platform/registry_file.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace ql {

// A registry read or write that failed: a missing key or value, a value of another type,
// a bad key name, or a file that could not be written. what() says which.
class RegistryError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum class RegistryRoot { CurrentUser, LocalMachine };

// The registry: keys of HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE with typed values, held
// in memory and kept in one text file (see registry_file.h). Key paths are names joined
// by "\" below the root ("Software\Ostwick\Quenlark"); key and value names compare
// without regard to case and keep the case they were created with.
//
// Every change is written to the file at once, atomically; writing a value that is already
// there, as it is, is no change and leaves the file alone. A file that does not parse is
// reported by LoadError() and left alone: the registry starts empty, and changes are then
// kept for this run only, so the user's file is never overwritten.
//
// Not thread-safe: use it from the GUI thread.
class Registry {
public:
  // Loads the file at path; a missing file is an empty registry.
  explicit Registry(const QString &path);
  Registry(const Registry &) = delete;
  Registry &operator=(const Registry &) = delete;

  // ${XDG_CONFIG_HOME:-$HOME/.config}/quenlark/registry.reg
  static QString DefaultPath();
  // The program's registry at DefaultPath(), loaded on first use.
  static Registry &Instance();

  const QString &Path() const { return path_; }
  // Empty when the file loaded (or did not exist); otherwise the reason, naming the file
  // and the line.
  const QString &LoadError() const { return loadError_; }

  bool KeyExists(RegistryRoot root, const QString &key) const;
  // Creates the key and the keys above it.
  void CreateKey(RegistryRoot root, const QString &key);
  // Deletes the key with its subkeys and values; nothing happens when it is missing.
  void DeleteKey(RegistryRoot root, const QString &key);
  // Names of the subkeys and values of a key; empty when the key is missing.
  QStringList SubKeyNames(RegistryRoot root, const QString &key) const;
  QStringList ValueNames(RegistryRoot root, const QString &key) const;

  bool ValueExists(RegistryRoot root, const QString &key, const QString &name) const;
  // Throw RegistryError when the key or value is missing or the value has another type.
  QString ReadString(RegistryRoot root, const QString &key, const QString &name) const;
  quint32 ReadDword(RegistryRoot root, const QString &key, const QString &name) const;
  QByteArray ReadBinary(RegistryRoot root, const QString &key, const QString &name) const;

  // Create the key when missing and set the value, replacing one of any type. When the
  // file cannot be written they throw RegistryError; the change stays for this run.
  void WriteString(RegistryRoot root, const QString &key, const QString &name, const QString &value);
  void WriteDword(RegistryRoot root, const QString &key, const QString &name, quint32 value);
  void WriteBinary(RegistryRoot root, const QString &key, const QString &name, const QByteArray &value);
  // Deletes the value; nothing happens when it is missing.
  void DeleteValue(RegistryRoot root, const QString &key, const QString &name);

private:
  RegistryKey &Root(RegistryRoot root);
  const RegistryKey &Root(RegistryRoot root) const;
  const RegistryKey *FindKey(RegistryRoot root, const QString &key) const;
  RegistryKey *FindKey(RegistryRoot root, const QString &key);
  RegistryKey &MakeKey(RegistryRoot root, const QString &key);
  const RegistryValue &FindTyped(RegistryRoot root, const QString &key, const QString &name,
                                 RegistryValueType type) const;
  void SetValue(RegistryRoot root, const QString &key, RegistryValue value);
  void Save();

  QString path_;
  QString loadError_;
  RegistryRoots roots_;
};

} // namespace ql
