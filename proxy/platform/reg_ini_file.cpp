#include "proxy/platform/reg_ini_file.h"

#include <QtDebug>

namespace ql {
namespace {

// Decimal with an optional sign, or "0x"/"0X" and up to eight hexadecimal digits taken as
// a 32-bit pattern; false for anything else.
bool TextToInteger(const QString &text, int &number) {
  if (text.size() > 2 && (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X")))) {
    if (text.size() > 10)
      return false;
    quint32 value = 0;
    for (qsizetype i = 2; i < text.size(); ++i) {
      int digit = -1;
      ushort c = text[i].unicode();
      if (c >= '0' && c <= '9')
        digit = c - '0';
      else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
      if (digit < 0)
        return false;
      value = value * 16 + static_cast<quint32>(digit);
    }
    number = static_cast<int>(value);
    return true;
  }
  bool ok = false;
  if (text.isEmpty() || text[0].isSpace() || text[text.size() - 1].isSpace())
    return false;
  number = text.toInt(&ok, 10);
  return ok;
}

} // namespace

const QString kQuenlarkSettingsKey = QStringLiteral("Software\\Ostwick\\Quenlark");

TRegIniFile::TRegIniFile(const QString &key, Registry &registry) : key_(key), registry_(registry) {}

QString TRegIniFile::SectionKey(const QString &section) const {
  return key_ + QLatin1Char('\\') + section;
}

QString TRegIniFile::ReadString(const QString &section, const QString &ident,
                                const QString &defaultValue) const {
  const QString key = SectionKey(section);
  if (!registry_.ValueExists(RegistryRoot::CurrentUser, key, ident))
    return defaultValue;
  try {
    return registry_.ReadString(RegistryRoot::CurrentUser, key, ident);
  } catch (const RegistryError &e) {
    qWarning().noquote() << "Setting" << section << ident << "ignored:" << e.what();
    return defaultValue;
  }
}

int TRegIniFile::ReadInteger(const QString &section, const QString &ident, int defaultValue) const {
  int number = 0;
  return TextToInteger(ReadString(section, ident, QString()), number) ? number : defaultValue;
}

bool TRegIniFile::ReadBool(const QString &section, const QString &ident, bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const QString &section, const QString &ident, const QString &value) {
  registry_.WriteString(RegistryRoot::CurrentUser, SectionKey(section), ident, value);
}

void TRegIniFile::WriteInteger(const QString &section, const QString &ident, int value) {
  WriteString(section, ident, QString::number(value));
}

void TRegIniFile::WriteBool(const QString &section, const QString &ident, bool value) {
  WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TRegIniFile::EraseSection(const QString &section) {
  registry_.DeleteKey(RegistryRoot::CurrentUser, SectionKey(section));
}

} // namespace ql
