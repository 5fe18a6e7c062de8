#pragma once

#include <QByteArray>

namespace ql {

class TBookmarkOutline;

// The bookmark file's layout (auto.dat): two format bytes, 2 and 16, then one record per node
// in display order, little-endian and without padding:
//   the 69 fixed bytes of the node's TBMInfo (LastVisit through EmbeddedFiles, the two dates as
//   day numbers from 1 January of year 1), an expanded byte for a folder only, the u16 level
//   (1 = top), the title as a u16 length counting its terminating zero and the bytes with the
//   zero, then the URL, user name, password, comments and kill words the same way, each a u16
//   0 when absent.
// The locked and hold marks are not stored; the node's text is the record's Title.

constexpr unsigned char kBookmarkFormat1 = 2;
constexpr unsigned char kBookmarkFormat2 = 16;
// The size of a record's fixed part.
constexpr int kBookmarkFixedSize = 69;

enum class TBookmarkRead {
  Loaded,    // the whole file was read into the tree
  Failed,    // the file is damaged: short, a length beyond its end, a level out of step, ...
  OldFormat, // the file is of the earlier format (first byte 1, second below 16)
};

// The whole tree in the file's layout. A text longer than the layout holds is cut; a text is
// written up to its first zero byte.
QByteArray WriteBookmarkFile(const TBookmarkOutline &tree);

// Reads a file's bytes into the tree, which must be empty. Every record is checked: the first
// has level 1, each level is at least 1 and at most one deeper than the record before, every
// length lies within the file and every text ends in its zero. Loaded nodes have their locked
// and hold marks cleared, and NextBMSerial rises past the highest serial id read. On Failed and
// OldFormat the tree is left empty and NextBMSerial as it was.
TBookmarkRead ReadBookmarkFile(const QByteArray &bytes, TBookmarkOutline &tree);

} // namespace ql
