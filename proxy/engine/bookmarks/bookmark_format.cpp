#include "proxy/engine/bookmarks/bookmark_format.h"

#include "proxy/engine/bookmarks/bookmark_outline.h"

#include <QtEndian>

#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace ql {

namespace {

// The longest text the u16 length holds, its terminating zero counted.
constexpr qsizetype kMaxStoredText = std::numeric_limits<uint16_t>::max() - 1;

class TWriter {
public:
  explicit TWriter(QByteArray &out) : out_(out) {}
  template <typename T> void Put(T value) {
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out_.append(bytes, sizeof(T));
  }
  void PutDate(TDateTime date) {
    DateTimeToDayNumber(date);
    Put(date);
  }
  // A text with its length; an absent (null) text as a length of 0 unless always is set.
  void PutText(const QByteArray &text, bool always) {
    if (text.isNull() && !always) {
      Put<uint16_t>(0);
      return;
    }
    qsizetype size = text.indexOf('\0');
    if (size < 0)
      size = text.size();
    size = std::min(size, kMaxStoredText);
    Put<uint16_t>(static_cast<uint16_t>(size + 1));
    out_.append(text.constData(), size);
    out_.append('\0');
  }

private:
  QByteArray &out_;
};

class TReader {
public:
  // Reads bytes from start on; bytes must outlive the reader.
  TReader(const QByteArray &bytes, qsizetype start)
      : data_(bytes.constData()), size_(bytes.size()), pos_(start) {}
  bool AtEnd() const { return pos_ >= size_; }
  template <typename T> bool Get(T &value) {
    if (size_ - pos_ < static_cast<qsizetype>(sizeof(T)))
      return false;
    value = qFromLittleEndian<T>(data_ + pos_);
    pos_ += static_cast<qsizetype>(sizeof(T));
    return true;
  }
  bool GetDate(TDateTime &date) {
    if (!Get(date))
      return false;
    DayNumberToDateTime(date);
    return true;
  }
  // A text with its length. A length of 0 leaves the text absent, unless required.
  bool GetText(QByteArray &text, bool required) {
    uint16_t length = 0;
    if (!Get(length))
      return false;
    if (length == 0)
      return !required;
    if (size_ - pos_ < length || data_[pos_ + length - 1] != '\0')
      return false;
    text = QByteArray(data_ + pos_, static_cast<qsizetype>(std::strlen(data_ + pos_)));
    pos_ += length;
    return true;
  }

private:
  const char *data_;
  qsizetype size_;
  qsizetype pos_;
};

void PutFixed(TWriter &w, const TBMInfo &info) {
  w.PutDate(info.LastVisit);
  w.PutDate(info.NextRefresh);
  for (const int32_t value : {info.MaxItemSize, info.Depth, info.IntervalKind, info.Weeks, info.Weekday,
                              info.Days, info.SerialId, info.Generation, info.TimeLimit, info.SizeLimit})
    w.Put(value);
  for (const uint8_t value : {info.DirMovement, info.Spare1, info.FollowExternal, info.GetNextTime,
                              info.SendCredentials, info.Spare2, info.HasAutoEntries, info.Folder,
                              info.Spare3, info.Scheduled, info.InlineImages, info.Java, info.EmbeddedFiles})
    w.Put(value);
}

bool GetFixed(TReader &r, TBMInfo &info) {
  if (!r.GetDate(info.LastVisit) || !r.GetDate(info.NextRefresh))
    return false;
  for (int32_t *value : {&info.MaxItemSize, &info.Depth, &info.IntervalKind, &info.Weeks, &info.Weekday,
                         &info.Days, &info.SerialId, &info.Generation, &info.TimeLimit, &info.SizeLimit}) {
    if (!r.Get(*value))
      return false;
  }
  for (uint8_t *value :
       {&info.DirMovement, &info.Spare1, &info.FollowExternal, &info.GetNextTime, &info.SendCredentials,
        &info.Spare2, &info.HasAutoEntries, &info.Folder, &info.Spare3, &info.Scheduled, &info.InlineImages,
        &info.Java, &info.EmbeddedFiles}) {
    if (!r.Get(*value))
      return false;
  }
  return true;
}

// One record read, before it joins the tree.
struct TReadNode {
  std::unique_ptr<TBMInfo> info;
  bool expanded = false;
  int level = 1;
};

bool GetRecord(TReader &r, TReadNode &node) {
  node.info = std::make_unique<TBMInfo>(0.0);
  TBMInfo &info = *node.info;
  if (!GetFixed(r, info))
    return false;
  if (info.Folder) {
    uint8_t expanded = 0;
    if (!r.Get(expanded))
      return false;
    node.expanded = expanded != 0;
  }
  uint16_t level = 0;
  if (!r.Get(level))
    return false;
  node.level = level;
  if (!r.GetText(info.Title, true))
    return false;
  for (QByteArray *text : {&info.URL, &info.UserName, &info.Password, &info.Comments, &info.KillWords}) {
    if (!r.GetText(*text, false))
      return false;
  }
  info.Locked = 0;
  info.Hold = 0;
  return true;
}

} // namespace

QByteArray WriteBookmarkFile(const TBookmarkOutline &tree) {
  QByteArray out;
  out.reserve(2 + static_cast<qsizetype>(tree.Count()) * 128);
  out.append(static_cast<char>(kBookmarkFormat1));
  out.append(static_cast<char>(kBookmarkFormat2));
  TWriter w(out);
  tree.ForEach([&w](const TBookmarkNode &node) {
    const TBMInfo &info = node.Info();
    PutFixed(w, info);
    if (info.Folder)
      w.Put<uint8_t>(node.Expanded ? 1 : 0);
    w.Put(static_cast<uint16_t>(node.Level()));
    w.PutText(info.Title, true);
    for (const QByteArray *text :
         {&info.URL, &info.UserName, &info.Password, &info.Comments, &info.KillWords})
      w.PutText(*text, false);
  });
  return out;
}

TBookmarkRead ReadBookmarkFile(const QByteArray &bytes, TBookmarkOutline &tree) {
  if (bytes.size() < 2)
    return TBookmarkRead::Failed;
  const auto first = static_cast<unsigned char>(bytes[0]);
  const auto second = static_cast<unsigned char>(bytes[1]);
  if (first == 1 && second < kBookmarkFormat2)
    return TBookmarkRead::OldFormat;
  if (first != kBookmarkFormat1 || second != kBookmarkFormat2)
    return TBookmarkRead::Failed;

  // The records are read and checked whole before the tree takes any, so that a damaged file
  // leaves the tree empty.
  const int32_t serialBefore = NextBMSerial;
  std::vector<TReadNode> nodes;
  TReader r(bytes, 2);
  int32_t highest = 0;
  int previousLevel = 0;
  while (!r.AtEnd()) {
    TReadNode node;
    if (!GetRecord(r, node) || node.level < 1 || node.level > previousLevel + 1) {
      NextBMSerial = serialBefore;
      return TBookmarkRead::Failed;
    }
    previousLevel = node.level;
    highest = std::max(highest, node.info->SerialId);
    nodes.push_back(std::move(node));
  }
  NextBMSerial = serialBefore;
  if (highest >= NextBMSerial)
    NextBMSerial = highest == std::numeric_limits<int32_t>::max() ? highest : highest + 1;

  tree.BeginBulk();
  std::vector<TBookmarkNode *> parents; // parents[level - 1]: the last node read at that level
  for (TReadNode &node : nodes) {
    parents.resize(static_cast<std::size_t>(node.level - 1));
    TBookmarkNode *added = tree.Append(parents.empty() ? nullptr : parents.back(), std::move(node.info));
    added->Expanded = node.expanded;
    parents.push_back(added);
  }
  tree.EndBulk();
  return TBookmarkRead::Loaded;
}

} // namespace ql
