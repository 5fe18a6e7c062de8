#include "library/runtime/data/record_layout.h"

#include "library/runtime/data/sort_key.h"

#include <QCryptographicHash>

namespace vx {

int FileDecl::fieldIndex(const QString &name) const {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
      return int(i);
  }
  return -1;
}

QByteArray FileDecl::recordDigest() const {
  QByteArray text = "record-1;";
  for (const FieldDef &f : fields)
    text +=
        f.name.toUtf8() + ':' + (f.kind == FieldKind::Text ? "T" : "N") + QByteArray::number(f.width) + ';';
  if (memo)
    text += "memo:" + memo->name.toUtf8() + ':' + QByteArray::number(memo->width);
  return QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex();
}

QByteArray FileDecl::keysDigest() const {
  QByteArray text = "keys;rule:" + QByteArray::number(kSortRuleVersion) + ';';
  for (const KeyDef &k : keys) {
    text += k.name.toUtf8() + (k.unique ? ":U" : ":D") + (k.blanksLeftOut ? "B" : "-");
    for (const KeyPart &p : k.parts)
      text += ',' + QByteArray::number(p.field) + (p.descending ? "d" : "a");
    text += ';';
  }
  return QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex();
}

void ClearRecordFields(const FileDecl &decl, void *record) {
  for (const FieldDef &f : decl.fields) {
    if (f.kind == FieldKind::Text)
      f.setText(record, QString());
    else
      f.setNumber(record, 0);
  }
}

} // namespace vx
