#pragma once

#include <QByteArray>
#include <QString>

namespace vx {

// A text file read and written through the ASCII driver: records of one text field, one
// record a line. `line` is the record buffer; NEXT fills it and ADD writes it.
//
// Every statement sets the run-time's error state (error_state.h) with the file's name:
// 0 on success, 2 when the file does not exist, 32 when another open holds it exclusively,
// 33 when NEXT finds no more lines, 37 when the file is not open, 52 when OPEN finds it
// open already, 5 when ADD is used on a file opened read-only, and 90 with the system's own
// code and text for any other failure of the file system.
//
// Reading: a line ends at LF, and a CR before the LF is dropped. A line that is valid UTF-8
// is read as UTF-8, any other as Latin-1. A line longer than the record is split: NEXT
// gives its first record-length characters, the following NEXT the next ones, and so on, so
// no text is lost and no read holds more than one record's worth of the file in memory
// beyond a fixed buffer. BYTES after NEXT is the number of bytes of the file that NEXT
// consumed (the line terminator counts with the last piece of its line), so the BYTES of all
// reads add up to the file's size; after OPEN and SET, before any NEXT, it is the file's size.
//
// Writing: ADD appends the buffer without its trailing blanks and cut to the record length,
// in UTF-8, followed by LF. Each ADD goes to the file at once; CLOSE syncs the file to disk.
// CREATE gives a new file the mode of the user's umask. CREATE and an open for writing refuse
// a symbolic link at the name (90), so a planted link never makes them write its target.
//
// Sharing: an exclusive open (DenyAll) fails with 32 while the file is open anywhere else,
// in this process or another, and keeps every other open out while it lasts; the other
// share modes admit each other. "\" in the name is read as "/".
//
// The object owns its open file and closes it on destruction.
class LineFile {
public:
  enum class Access { ReadOnly, ReadWrite };
  enum class Share { DenyNone, DenyWrite, DenyAll };

  LineFile(const QString &name, int recordLength);
  ~LineFile();
  LineFile(const LineFile &) = delete;
  LineFile &operator=(const LineFile &) = delete;

  QString line; // the record buffer

  const QString &Name() const { return name_; }
  void SetName(const QString &name) { name_ = name; } // takes effect at the next OPEN, CREATE or REMOVE
  int RecordLength() const { return recordLength_; }
  bool IsOpen() const { return fd_ >= 0; }

  void CREATE(); // makes an empty file, replacing any file of that name
  void REMOVE(); // deletes the disk file
  void OPEN(Access access = Access::ReadWrite, Share share = Share::DenyNone);
  void SET();  // goes back to the first line
  void NEXT(); // reads the next record into `line`
  void ADD();  // appends `line` as a new last line
  void CLOSE();
  qint64 BYTES() const { return bytes_; }

private:
  QByteArray Path() const;
  bool FillTo(qsizetype wanted);
  // Puts reading back at the first byte of the open file, which holds `bytes` bytes.
  void Rewind(qint64 bytes);
  void Fail(int code);

  QString name_;
  int recordLength_;
  int fd_ = -1;
  bool writable_ = false;
  bool written_ = false;
  qint64 readOffset_ = 0; // file offset of buffer_[0]
  QByteArray buffer_;
  qsizetype bufferPos_ = 0;
  bool atEnd_ = false;
  qint64 bytes_ = 0;
};

} // namespace vx
