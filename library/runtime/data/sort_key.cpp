#include "library/runtime/data/sort_key.h"

#include "library/runtime/language/runtime_upper.h"

namespace vx {

QString KeyUpper(const QString &text) {
  return RuntimeUpper(text);
}

QString KeyText(const QString &text, int width) {
  QString out = KeyUpper(width > 0 ? text.left(width) : text);
  for (QChar &c : out) {
    if (c.unicode() < 0x20)
      c = QLatin1Char(' ');
  }
  qsizetype end = out.size();
  while (end > 0 && out.at(end - 1) == QLatin1Char(' '))
    --end;
  out.truncate(end);
  return out;
}

namespace {

void Invert(QByteArray &out, qsizetype from) {
  for (qsizetype i = from; i < out.size(); ++i)
    out[i] = char(~uchar(out[i]));
}

} // namespace

void AppendTextComponent(QByteArray &out, const QString &text, int width, bool descending) {
  const qsizetype start = out.size();
  out += KeyText(text, width).toUtf8();
  out += '\0';
  if (descending)
    Invert(out, start);
}

void AppendNumberComponent(QByteArray &out, qint64 value, bool descending) {
  const qsizetype start = out.size();
  quint64 bits = quint64(value) ^ (quint64(1) << 63);
  for (int shift = 56; shift >= 0; shift -= 8)
    out += char((bits >> shift) & 0xff);
  if (descending)
    Invert(out, start);
}

QByteArray SortKey(const FileDecl &decl, const KeyDef &key, const void *record, bool leaveOut) {
  QByteArray out;
  out.reserve(64);
  bool allBlank = true;
  for (const KeyPart &part : key.parts) {
    const FieldDef &field = decl.fields[part.field];
    if (field.kind == FieldKind::Text) {
      const QString text = field.text(record);
      const qsizetype before = out.size();
      AppendTextComponent(out, text, field.width, part.descending);
      if (out.size() - before > 1)
        allBlank = false;
    } else {
      const qint64 value = field.number(record);
      if (value != 0)
        allBlank = false;
      AppendNumberComponent(out, value, part.descending);
    }
  }
  if (leaveOut && key.blanksLeftOut && allBlank)
    return QByteArray();
  return out;
}

std::vector<QByteArray> SortKeys(const FileDecl &decl, const void *record) {
  // Each field's ascending component, and whether it is blank or zero.
  std::vector<QByteArray> parts(decl.fields.size());
  std::vector<char> blank(decl.fields.size(), -1);
  auto part = [&](int field) -> const QByteArray & {
    if (blank[size_t(field)] < 0) {
      const FieldDef &f = decl.fields[size_t(field)];
      QByteArray &out = parts[size_t(field)];
      if (f.kind == FieldKind::Text) {
        AppendTextComponent(out, f.text(record), f.width, false);
        blank[size_t(field)] = out.size() == 1;
      } else {
        const qint64 value = f.number(record);
        AppendNumberComponent(out, value, false);
        blank[size_t(field)] = value == 0;
      }
    }
    return parts[size_t(field)];
  };
  std::vector<QByteArray> keys;
  keys.reserve(decl.keys.size());
  for (const KeyDef &key : decl.keys) {
    QByteArray out;
    bool allBlank = true;
    for (const KeyPart &p : key.parts) {
      const qsizetype start = out.size();
      out += part(p.field);
      allBlank = allBlank && blank[size_t(p.field)];
      if (p.descending)
        Invert(out, start);
    }
    keys.push_back(key.blanksLeftOut && allBlank ? QByteArray() : out);
  }
  return keys;
}

} // namespace vx
