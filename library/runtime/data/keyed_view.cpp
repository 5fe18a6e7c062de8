#include "library/runtime/data/keyed_view.h"

#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_internal.h"
#include "library/runtime/data/keyed_schema.h"
#include "library/runtime/data/sort_key.h"

namespace vx {

View::View(KeyedFile &file)
    : file_(file), order_(Cursor::kPhysical), cursorOrder_(Cursor::kPhysical),
      ahead_(std::make_unique<ReadAhead>()) {}

View::~View() = default;

void View::setOrder(const Key &key) {
  order_ = key.index();
  bounded_ = false;
}

void View::setPhysicalOrder() {
  order_ = Cursor::kPhysical;
  bounded_ = false;
}

void View::setEquality(int field, std::function<QString()> value) {
  equalityField_ = field;
  equalityValue_ = std::move(value);
}

void View::clearFilters() {
  filter_ = nullptr;
  equalityField_ = -1;
  equalityValue_ = nullptr;
}

void View::read(bool forward) {
  ClearError();
  if (!open_) {
    SetError(37, file_.name());
    return;
  }
  const FileDecl &decl = file_.decl();
  Cursor from{order_, bounded_, key_, id_, inclusive_};
  if (cursorOrder_ != order_)
    from.bounded = false;

  // The equality becomes a range of the key when the key's first component is that field.
  QByteArray low, high;
  bool equalityInRange = false;
  if (equalityField_ >= 0 && order_ != Cursor::kPhysical) {
    const KeyPart &first = decl.keys[size_t(order_)].parts.front();
    const FieldDef &field = decl.fields[size_t(equalityField_)];
    if (first.field == equalityField_ && !first.descending && field.kind == FieldKind::Text) {
      AppendTextComponent(low, equalityValue_(), field.width, false);
      high = low;
      high[high.size() - 1] = 1;
      equalityInRange = true;
    }
  }
  RowFilter accept;
  if (filter_ || (equalityField_ >= 0 && !equalityInRange)) {
    accept = [&](const void *record) {
      if (equalityField_ >= 0 && !equalityInRange) {
        const FieldDef &field = decl.fields[size_t(equalityField_)];
        if (KeyText(field.text(record), field.width) != KeyText(equalityValue_(), field.width))
          return false;
      }
      return !filter_ || filter_(record);
    };
  }
  Cursor at;
  if (!ReadNeighbour(file_, from, forward, low, high, accept, *ahead_, &at))
    return;
  cursorOrder_ = order_;
  bounded_ = true;
  inclusive_ = false;
  key_ = at.key;
  id_ = at.id;
  hasRead_ = true;
  readKey_ = at.key;
  readId_ = at.id;
}

void OPEN(View &view) {
  ClearError();
  if (!RequireOpen(view.file_))
    return;
  view.open_ = true;
}

void CLOSE(View &view) {
  view.open_ = false;
}

void SET(View &view) {
  ClearError();
  view.cursorOrder_ = view.order_;
  view.bounded_ = false;
  view.inclusive_ = false;
}

void SET(View &view, const Key &start) {
  ClearError();
  KeyedFile &file = view.file_;
  view.cursorOrder_ = view.order_;
  view.bounded_ = true;
  view.inclusive_ = false;
  view.key_ = SortKey(file.decl(), start.def(), file.buffer(), false);
  view.id_ = 0;
}

void NEXT(View &view) {
  view.read(true);
}

void PREVIOUS(View &view) {
  view.read(false);
}

QString POSITION(View &view) {
  if (!view.hasRead_)
    return {};
  return EncodePosition(view.cursorOrder_, view.readKey_, view.readId_);
}

void RESET(View &view, const QString &position) {
  ClearError();
  int order = 0;
  QByteArray key;
  qint64 id = 0;
  if (!DecodePosition(position, &order, &key, &id) || order != view.order_) {
    SetError(35, view.file_.name());
    return;
  }
  view.cursorOrder_ = order;
  view.bounded_ = true;
  view.inclusive_ = true;
  view.key_ = key;
  view.id_ = id;
}

} // namespace vx
