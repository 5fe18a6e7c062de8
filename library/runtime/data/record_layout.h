#pragma once

#include "library/runtime/data/fixed_string.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <type_traits>
#include <vector>

namespace vx {

// The declaration of a keyed file: its record's fields, its memo and its keys. Records are
// plain structs whose members are FixedString<N> texts and integer numbers; a declaration
// reaches them through the accessor functions made by TextField, NumberField and MemoField.
// Declarations are static data owned by whoever declares the file.

enum class FieldKind { Text, Number };

struct FieldDef {
  QString name;
  FieldKind kind = FieldKind::Text;
  int width = 0; // characters of a text; 0 for numbers
  QString (*text)(const void *record) = nullptr;
  void (*setText)(void *record, const QString &value) = nullptr;
  qint64 (*number)(const void *record) = nullptr;
  void (*setNumber)(void *record, qint64 value) = nullptr;
};

struct MemoDef {
  QString name;
  int width = 0;
  QString (*get)(const void *record) = nullptr;
  void (*set)(void *record, const QString &value) = nullptr;
};

struct KeyPart {
  int field = 0; // index into FileDecl::fields
  bool descending = false;
};

struct KeyDef {
  QString name;
  std::vector<KeyPart> parts;
  bool unique = false;
  bool blanksLeftOut = false; // records whose components are all blank or zero are not in the key
};

// Making, freeing and copying a record of the declared type (for the driver's scratch records).
struct RecordOps {
  void *(*make)() = nullptr;
  void (*destroy)(void *record) = nullptr;
  void (*copy)(void *to, const void *from) = nullptr;
};

struct FileDecl {
  QString label;    // the name by which messages speak of the file
  QString prefix;   // the field prefix, e.g. "URL"
  QString diskName; // the name on disk without extension, e.g. "URL_L"
  std::vector<FieldDef> fields;
  std::optional<MemoDef> memo;
  std::vector<KeyDef> keys;
  RecordOps ops;

  int fieldIndex(const QString &name) const;
  // Digests of the record layout and of the keys, kept in each file to tell a foreign or
  // stale file from a good one.
  QByteArray recordDigest() const;
  QByteArray keysDigest() const;
};

// Blanks every field of a record and zeroes its numbers; the memo is left as it is.
void ClearRecordFields(const FileDecl &decl, void *record);

namespace layout_detail {
template <class T> struct MemberOf;
template <class C, class M> struct MemberOf<M C::*> {
  using Class = C;
  using Type = M;
};
} // namespace layout_detail

template <auto Member> FieldDef TextField(const char *name) {
  using Info = layout_detail::MemberOf<decltype(Member)>;
  using Rec = typename Info::Class;
  FieldDef def;
  def.name = QString::fromLatin1(name);
  def.kind = FieldKind::Text;
  def.width = Info::Type::width;
  def.text = [](const void *r) -> QString { return (static_cast<const Rec *>(r)->*Member).text(); };
  def.setText = [](void *r, const QString &v) { static_cast<Rec *>(r)->*Member = v; };
  return def;
}

template <auto Member> FieldDef NumberField(const char *name) {
  using Info = layout_detail::MemberOf<decltype(Member)>;
  using Rec = typename Info::Class;
  using Num = typename Info::Type;
  static_assert(std::is_integral_v<Num>, "a number field is an integer member");
  FieldDef def;
  def.name = QString::fromLatin1(name);
  def.kind = FieldKind::Number;
  def.number = [](const void *r) -> qint64 { return static_cast<const Rec *>(r)->*Member; };
  def.setNumber = [](void *r, qint64 v) { static_cast<Rec *>(r)->*Member = static_cast<Num>(v); };
  return def;
}

template <auto Member> MemoDef MemoField(const char *name) {
  using Info = layout_detail::MemberOf<decltype(Member)>;
  using Rec = typename Info::Class;
  MemoDef def;
  def.name = QString::fromLatin1(name);
  def.width = Info::Type::width;
  def.get = [](const void *r) -> QString { return (static_cast<const Rec *>(r)->*Member).text(); };
  def.set = [](void *r, const QString &v) { static_cast<Rec *>(r)->*Member = v; };
  return def;
}

template <class Rec> RecordOps OpsFor() {
  RecordOps ops;
  ops.make = []() -> void * { return new Rec(); };
  ops.destroy = [](void *r) { delete static_cast<Rec *>(r); };
  ops.copy = [](void *to, const void *from) { *static_cast<Rec *>(to) = *static_cast<const Rec *>(from); };
  return ops;
}

} // namespace vx
