#include "proxy/platform/registry_file.h"

#include <QStringList>

#include <utility>

namespace ql {
namespace {

int HexDigit(QChar c) {
  ushort u = c.unicode();
  if (u >= '0' && u <= '9')
    return u - '0';
  if (u >= 'a' && u <= 'f')
    return u - 'a' + 10;
  if (u >= 'A' && u <= 'F')
    return u - 'A' + 10;
  return -1;
}

// Reads a quoted text starting at line[pos] == '"'; leaves pos after the closing quote.
bool ReadQuoted(const QString &line, qsizetype &pos, QString &out, QString &error) {
  out.clear();
  for (++pos; pos < line.size(); ++pos) {
    QChar c = line[pos];
    if (c == QLatin1Char('"')) {
      ++pos;
      return true;
    }
    if (c != QLatin1Char('\\')) {
      out += c;
      continue;
    }
    if (++pos >= line.size())
      break;
    switch (line[pos].unicode()) {
    case '\\':
      out += QLatin1Char('\\');
      break;
    case '"':
      out += QLatin1Char('"');
      break;
    case 'n':
      out += QLatin1Char('\n');
      break;
    case 'r':
      out += QLatin1Char('\r');
      break;
    case 'x': {
      int high = pos + 2 < line.size() ? HexDigit(line[pos + 1]) : -1;
      int low = high >= 0 ? HexDigit(line[pos + 2]) : -1;
      if (low < 0) {
        error = QStringLiteral("\\x needs two hexadecimal digits");
        return false;
      }
      out += QChar(high * 16 + low);
      pos += 2;
      break;
    }
    default:
      error = QStringLiteral("unknown escape \\%1 in quotes").arg(line[pos]);
      return false;
    }
  }
  error = QStringLiteral("missing closing quote");
  return false;
}

bool ParseHexNumber(const QString &digits, quint32 &number) {
  if (digits.isEmpty() || digits.size() > 8)
    return false;
  number = 0;
  for (QChar c : digits) {
    int d = HexDigit(c);
    if (d < 0)
      return false;
    number = number * 16 + static_cast<quint32>(d);
  }
  return true;
}

bool ParseData(const QString &text, RegistryValue &value, QString &error) {
  if (text.startsWith(QLatin1Char('"'))) {
    qsizetype pos = 0;
    value.type = RegistryValueType::String;
    if (!ReadQuoted(text, pos, value.string, error))
      return false;
    if (!text.mid(pos).trimmed().isEmpty()) {
      error = QStringLiteral("unexpected text after the closing quote");
      return false;
    }
    return true;
  }
  if (text.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
    value.type = RegistryValueType::Dword;
    if (ParseHexNumber(text.mid(6).trimmed(), value.dword))
      return true;
    error = QStringLiteral("dword: needs 1 to 8 hexadecimal digits");
    return false;
  }
  if (text.startsWith(QLatin1String("hex:"), Qt::CaseInsensitive)) {
    value.type = RegistryValueType::Binary;
    QString bytes = text.mid(4).trimmed();
    if (bytes.isEmpty())
      return true;
    for (const QString &part : bytes.split(QLatin1Char(','))) {
      QString byte = part.trimmed();
      quint32 number = 0;
      if (byte.size() != 2 || !ParseHexNumber(byte, number)) {
        error = QStringLiteral("hex: needs bytes of two hexadecimal digits separated by commas");
        return false;
      }
      value.binary += static_cast<char>(number);
    }
    return true;
  }
  error = QStringLiteral("a value is \"text\", dword:digits or hex:bytes");
  return false;
}

RegistryKey *ParseKeyLine(const QString &line, RegistryRoots &roots, QString &error) {
  if (!line.endsWith(QLatin1Char(']'))) {
    error = QStringLiteral("missing ] at the end of the key line");
    return nullptr;
  }
  QStringList names = line.mid(1, line.size() - 2).split(QLatin1Char('\\'));
  RegistryKey *key = nullptr;
  if (names[0].compare(roots.currentUser.name, Qt::CaseInsensitive) == 0)
    key = &roots.currentUser;
  else if (names[0].compare(roots.localMachine.name, Qt::CaseInsensitive) == 0)
    key = &roots.localMachine;
  else {
    error = QStringLiteral("unknown root key \"%1\"").arg(names[0]);
    return nullptr;
  }
  for (qsizetype i = 1; i < names.size(); ++i) {
    if (names[i].isEmpty()) {
      error = QStringLiteral("empty key name");
      return nullptr;
    }
    key = &key->AddSubkey(names[i]);
  }
  return key;
}

bool ParseValueLine(const QString &line, RegistryKey &key, QString &error) {
  RegistryValue value;
  qsizetype pos = 0;
  if (line.startsWith(QLatin1Char('@')))
    pos = 1;
  else if (!ReadQuoted(line, pos, value.name, error))
    return false;
  while (pos < line.size() && line[pos].isSpace())
    ++pos;
  if (pos >= line.size() || line[pos] != QLatin1Char('=')) {
    error = QStringLiteral("missing = after the value name");
    return false;
  }
  if (!ParseData(line.mid(pos + 1).trimmed(), value, error))
    return false;
  key.SetValue(std::move(value));
  return true;
}

QString Quoted(const QString &text) {
  QString out = QStringLiteral("\"");
  for (QChar c : text) {
    ushort u = c.unicode();
    if (u == '\\' || u == '"')
      out += QLatin1Char('\\') + c;
    else if (u == '\n')
      out += QLatin1String("\\n");
    else if (u == '\r')
      out += QLatin1String("\\r");
    else if (u < 0x20 && u != '\t')
      out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    else
      out += c;
  }
  return out + QLatin1Char('"');
}

void FormatKey(const RegistryKey &key, const QString &path, bool isRoot, QString &out) {
  if (!isRoot || !key.values.empty())
    out += QLatin1Char('[') + path + QLatin1String("]\n");
  for (const auto &[folded, value] : key.values) {
    out += value.name.isEmpty() ? QStringLiteral("@") : Quoted(value.name);
    out += QLatin1Char('=');
    switch (value.type) {
    case RegistryValueType::String:
      out += Quoted(value.string);
      break;
    case RegistryValueType::Dword:
      out += QStringLiteral("dword:%1").arg(value.dword, 8, 16, QLatin1Char('0'));
      break;
    case RegistryValueType::Binary:
      out += QLatin1String("hex:") + QString::fromLatin1(value.binary.toHex(','));
      break;
    }
    out += QLatin1Char('\n');
  }
  if (!isRoot || !key.values.empty())
    out += QLatin1Char('\n');
  for (const auto &[folded, subkey] : key.subkeys)
    FormatKey(*subkey, path + QLatin1Char('\\') + subkey->name, false, out);
}

} // namespace

bool ParseRegistryText(const QByteArray &text, RegistryRoots &roots, QString &error) {
  QList<QByteArray> lines = text.split('\n');
  if (!lines.isEmpty() && lines[0].startsWith("\xEF\xBB\xBF"))
    lines[0].remove(0, 3);
  RegistryKey *key = nullptr;
  bool first = true;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QString line = QString::fromUtf8(lines[i]).trimmed();
    QString problem;
    if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
      continue;
    // A file written in the usual .reg form opens with a header line naming the format.
    if (std::exchange(first, false) &&
        (line == QLatin1String("Windows Registry Editor Version 5.00") || line == QLatin1String("REGEDIT4")))
      continue;
    if (line.startsWith(QLatin1Char('['))) {
      key = ParseKeyLine(line, roots, problem);
    } else if (line.startsWith(QLatin1Char('"')) || line.startsWith(QLatin1Char('@'))) {
      if (!key)
        problem = QStringLiteral("value before any [key] line");
      else
        ParseValueLine(line, *key, problem);
    } else {
      problem = QStringLiteral("expected [key] or \"name\"=value");
    }
    if (!problem.isEmpty()) {
      error = QStringLiteral("line %1: %2").arg(i + 1).arg(problem);
      return false;
    }
  }
  return true;
}

QByteArray FormatRegistryText(const RegistryRoots &roots) {
  QString out =
      QStringLiteral("; Quenlark's registry. Quit Quenlark before editing: it rewrites this file.\n"
                     "; Values: \"text\", dword:<hexadecimal>, hex:<bytes separated by commas>.\n\n");
  FormatKey(roots.currentUser, roots.currentUser.name, true, out);
  FormatKey(roots.localMachine, roots.localMachine.name, true, out);
  return out.toUtf8();
}

} // namespace ql
