#pragma once

#include "library/runtime/data/keyed_file.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

namespace vx {

// A view over one keyed file: an order (a key, or the physical order), a start, and filters.
// Reading through a view fills the current thread's record buffer of the file and makes the
// record read the file's record last read, so PUT and DELETE act on it. The view itself
// belongs to the procedure that made it; positions taken from it stay valid for any later
// view, or key, of the same order.
class ReadAhead;

class View {
public:
  explicit View(KeyedFile &file);
  ~View();
  View(const View &) = delete;
  View &operator=(const View &) = delete;

  KeyedFile &file() const { return file_; }
  void setOrder(const Key &key);
  void setPhysicalOrder();

  // A test of the candidate record (a record of the file's type), asked afresh at every
  // record, so it may read values bound to it by reference.
  void setFilter(std::function<bool(const void *record)> filter) { filter_ = std::move(filter); }
  // The filter "UPPER(field) = UPPER(value())". When the order's key begins with the field,
  // the test becomes a range of the key, so a read never walks past the matching records.
  void setEquality(int field, std::function<QString()> value);
  void clearFilters();

  bool isOpen() const { return open_; }

private:
  friend void OPEN(View &);
  friend void CLOSE(View &);
  friend void SET(View &);
  friend void SET(View &, const Key &);
  friend void NEXT(View &);
  friend void PREVIOUS(View &);
  friend QString POSITION(View &);
  friend void RESET(View &, const QString &);
  void read(bool forward);

  KeyedFile &file_;
  int order_;
  bool open_ = false;
  std::function<bool(const void *)> filter_;
  int equalityField_ = -1;
  std::function<QString()> equalityValue_;
  // Where reading goes on from, and the place of the record last read through the view.
  int cursorOrder_;
  bool bounded_ = false;
  bool inclusive_ = false;
  QByteArray key_;
  qint64 id_ = 0;
  bool hasRead_ = false;
  QByteArray readKey_;
  qint64 readId_ = 0;
  std::unique_ptr<ReadAhead> ahead_;
};

// A filter written over a typed record.
template <class Rec, class F> std::function<bool(const void *)> RecordFilter(F test) {
  return [test](const void *record) { return test(*static_cast<const Rec *>(record)); };
}

void OPEN(View &view); // 37 when the file is not open
void CLOSE(View &view);
void SET(View &view);                   // before the first record of the order
void SET(View &view, const Key &start); // before the first record not below the buffer's value of `start`
void NEXT(View &view);                  // 33 when no further record passes the filters
void PREVIOUS(View &view);
QString POSITION(View &view);                    // of the record last read through the view
void RESET(View &view, const QString &position); // the next read returns that record, or its neighbour

} // namespace vx
