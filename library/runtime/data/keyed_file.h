#pragma once

#include "library/runtime/data/record_layout.h"

#include <QString>
#include <memory>
#include <vector>

namespace vx {

class KeyedFile;
struct KeyedFileState;

// One key of a keyed file. Keys are made and owned by their file.
class Key {
public:
  KeyedFile &file() const { return *file_; }
  int index() const { return index_; }
  const KeyDef &def() const;

private:
  friend class KeyedFile;
  Key(KeyedFile *file, int index) : file_(file), index_(index) {}
  KeyedFile *file_;
  int index_;
};

// A keyed data file: one SQLite database on disk, reached through the statements below.
//
// The file object is shared by every run-time thread: its open state and its connection
// are common. The record buffer and the reading state (the record last read, the sequential
// position) belong to the current run-time thread: `buffer` returns this thread's record,
// and the driver keeps the reading state per thread likewise. The declaration must outlive
// the file object.
class KeyedFile {
public:
  using BufferFn = void *(*)();

  KeyedFile(const FileDecl &decl, BufferFn buffer);
  ~KeyedFile();
  KeyedFile(const KeyedFile &) = delete;
  KeyedFile &operator=(const KeyedFile &) = delete;

  const FileDecl &decl() const { return decl_; }
  const QString &label() const { return decl_.label; }

  // The name on disk as the driver reports it: the declared name with ".KYF", or the name
  // set by the program for a file whose name the user chooses.
  const QString &name() const { return name_; }
  void setName(const QString &name) { name_ = name; }

  const Key &key(int index) const { return keys_[size_t(index)]; }
  int keyCount() const { return int(keys_.size()); }

  void *buffer() const { return buffer_(); }
  bool isOpen() const;

  // The driver's shared state of the file (keyed_internal.h), for the statements below.
  KeyedFileState &state() const { return *state_; }

private:
  const FileDecl &decl_;
  BufferFn buffer_;
  QString name_;
  std::vector<Key> keys_;
  std::unique_ptr<KeyedFileState> state_;
};

// Statements on keyed files. Each sets the run-time's error state (ERRORCODE() is 0 on
// success) and names the file in it on failure. Any statement on a file that is not open
// gives 37; a write while another run-time thread's transaction holds the files gives 32;
// an error of SQLite itself gives 90 with SQLite's code and text.
//
// Sequential reads fetch the following records in batches: a batch stays good until this
// program writes to any file, so records changed by another program may show one batch
// late, and PUT or DELETE of such a record then gives 89.

// Data files are opened for reading and writing with others allowed to do the same; a file
// opened for reading only refuses writes with "Access Denied".
// A data file reached through a symbolic link is refused (90); CREATE gives a new file the
// mode of the user's umask.
enum class FileAccess { SharedReadWrite, SharedRead };

// OPEN: 52 (already open) counts as success. While another thread's transaction runs it waits
// for that to end; inside the caller's own transaction it gives 32.
void OPEN(KeyedFile &file, FileAccess access = FileAccess::SharedReadWrite);
void CLOSE(KeyedFile &file);
// CREATE makes an empty file with its keys. Replace: it replaces any file of that name.
// KeepExisting: a file of that name that appeared meanwhile (another copy of the program made
// it) is kept and CREATE succeeds; replacing it would cut off the copy that has it open.
enum class CreateMode { Replace, KeepExisting };
void CREATE(KeyedFile &file, CreateMode mode = CreateMode::Replace);
void BUILD(KeyedFile &file); // recomputes every key of every record
void REMOVE(KeyedFile &file);
void CLEAR(KeyedFile &file); // blanks the fields of this thread's record buffer (not the memo)

void ADD(KeyedFile &file);                 // 40 when a unique key would be duplicated
void PUT(KeyedFile &file);                 // 89 when another station changed the record since it was read
void DELETE(KeyedFile &file);              // the record last read
void GET(const Key &key);                  // the first record whose key equals the buffer's; 35 when none
void GET(KeyedFile &file, qint64 pointer); // by POINTER; pointer 0 detaches the buffer
void REGET(const Key &key, const QString &position);
void REGET(KeyedFile &file, const QString &position);

void SET(const Key &key);                   // before the first record in key order
void SET(const Key &key, const Key &start); // before the first record not below the buffer's value of `start`
void SET(KeyedFile &file);                  // before the first record in physical order
void NEXT(KeyedFile &file);                 // 33 when there is no more
void PREVIOUS(KeyedFile &file);
QString POSITION(const Key &key); // of the record last read, by its key value in the buffer
QString POSITION(KeyedFile &file);
void RESET(const Key &key, const QString &position); // the next read returns that record, or its neighbour
void RESET(KeyedFile &file, const QString &position);

bool DUPLICATE(const Key &key);  // whether the buffer would duplicate a unique key
bool DUPLICATE(KeyedFile &file); // any unique key
qint64 RECORDS(KeyedFile &file);
qint64 POINTER(KeyedFile &file); // the record last read; 0 when none

// Sizes in bytes as the driver counts them, for work measured in bytes of a file. A record
// counts each text field at its declared width, 4 bytes a number and its memo's characters
// (at most the memo's width). BYTES is the size of the record in this thread's buffer, the
// record last read; FileBytes the size of every record of the file together, so that the
// BYTES of a read from the first record to the last add up to it.
qint64 BYTES(KeyedFile &file);
qint64 FileBytes(KeyedFile &file);

// Driver options: "Recover=N" makes the next OPEN wait up to N seconds for a lock left on
// the file. Returns the driver's reply (empty).
QString SEND(KeyedFile &file, const QString &option);

} // namespace vx
