#pragma once

#include "proxy/platform/registry.h"

#include <QString>

namespace ql {

// The program's settings store: sections and named values below one key of the current
// user, as an INI file would hold them. A section is a subkey of the key and every value
// is a registry string.
//
// - Integers are written in decimal. On reading, a text longer than two characters that
//   starts with "0x" or "0X" is hexadecimal; a text that does not convert gives the default.
// - Booleans are written "0" and "1" and read as integers (non-zero is true).
// - A missing section or value gives the default; a present empty string reads as "".
//   A value of another type than string also gives the default.
// - Every write creates the section first. Erasing a section deletes it with its values.
//
// The store is live: each write goes to the registry, which saves it at once, and later
// reads see it. The registry is not owned and must outlive the store.
class TRegIniFile {
public:
  explicit TRegIniFile(const QString &key, Registry &registry = Registry::Instance());

  const QString &FileName() const { return key_; }

  QString ReadString(const QString &section, const QString &ident, const QString &defaultValue) const;
  int ReadInteger(const QString &section, const QString &ident, int defaultValue) const;
  bool ReadBool(const QString &section, const QString &ident, bool defaultValue) const;

  // Throw RegistryError when the registry file cannot be written.
  void WriteString(const QString &section, const QString &ident, const QString &value);
  void WriteInteger(const QString &section, const QString &ident, int value);
  void WriteBool(const QString &section, const QString &ident, bool value);

  void EraseSection(const QString &section);

private:
  QString SectionKey(const QString &section) const;

  QString key_;
  Registry &registry_;
};

// The key of the proxy program's settings: "Software\Ostwick\Quenlark".
extern const QString kQuenlarkSettingsKey;

} // namespace ql
