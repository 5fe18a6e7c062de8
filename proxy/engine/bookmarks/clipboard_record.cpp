#include "proxy/engine/bookmarks/clipboard_record.h"

#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/net/own_addresses.h"

#include <QtEndian>

#include <array>

namespace ql {

namespace {

constexpr char kMarker[] = "Vosco!";
constexpr int kFirstFormat = 2;
constexpr int kSecondFormat = 16;
constexpr int kLineLength = 72;
constexpr char kCrLf[] = "\r\n";

void PutInt(QByteArray &head, int offset, int32_t value) {
  qToLittleEndian(value, head.data() + offset);
}

int32_t GetInt(const char *record, int offset) {
  return qFromLittleEndian<int32_t>(record + offset);
}

// The value of a Base64 character; -1 outside the alphabet. "=" counts as 0.
int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z')
    return c - 'A';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 26;
  if (c >= '0' && c <= '9')
    return c - '0' + 52;
  if (c == '+')
    return 62;
  if (c == '/')
    return 63;
  if (c == '=')
    return 0;
  return -1;
}

QByteArray DecodeBase64Groups(const QByteArray &text, qsizetype from) {
  QByteArray out;
  out.reserve((text.size() - from) / 4 * 3);
  std::array<int, 4> group{};
  int filled = 0;
  for (qsizetype i = from; i < text.size(); ++i) {
    const int value = Base64Value(text[i]);
    if (value < 0)
      continue;
    group[static_cast<std::size_t>(filled++)] = value;
    if (filled == 4) {
      out.append(static_cast<char>((group[0] << 2) | (group[1] >> 4)));
      out.append(static_cast<char>(((group[1] & 0x0F) << 4) | (group[2] >> 2)));
      out.append(static_cast<char>(((group[2] & 0x03) << 6) | group[3]));
      filled = 0;
    }
  }
  return out;
}

} // namespace

QByteArray ClipboardRecord(const TBMInfo &info) {
  QByteArray record(kClipboardHeadSize, '\0');
  record.replace(0, 6, kMarker);
  const int32_t ints[] = {kFirstFormat,
                          kSecondFormat,
                          info.MaxItemSize,
                          info.IntervalKind,
                          info.Weeks,
                          info.Weekday,
                          info.Days,
                          info.Depth,
                          info.TimeLimit,
                          info.SizeLimit,
                          static_cast<int32_t>(info.Title.size()),
                          static_cast<int32_t>(info.URL.size()),
                          static_cast<int32_t>(info.Comments.size()),
                          static_cast<int32_t>(info.KillWords.size())};
  int offset = 8;
  for (const int32_t value : ints) {
    PutInt(record, offset, value);
    offset += 4;
  }
  const uint8_t flags[] = {info.DirMovement, info.FollowExternal, info.InlineImages, info.Java,
                           info.EmbeddedFiles};
  for (const uint8_t flag : flags)
    record[offset++] = static_cast<char>(flag);
  record += info.URL;
  record += info.Title;
  record += info.Comments;
  record += info.KillWords;
  return record;
}

QByteArray EncodeClipboardBookmark(const TBMInfo &info) {
  const QByteArray base64 = ClipboardRecord(info).toBase64();
  QByteArray out;
  out.reserve(base64.size() + base64.size() / kLineLength * 2 + 2);
  for (qsizetype at = 0; at < base64.size(); at += kLineLength) {
    const QByteArray line = base64.mid(at, kLineLength);
    out += line;
    if (line.size() == kLineLength)
      out += kCrLf;
  }
  return out;
}

QByteArray ClipboardBookmarkText(const TBMInfo &info) {
  QByteArray text;
  if (!info.Title.isEmpty())
    text += info.Title + kCrLf;
  if (!info.URL.isEmpty())
    text += info.URL + kCrLf + kCrLf;
  text += QByteArray(kClipboardOpeningRule) + kCrLf;
  text += EncodeClipboardBookmark(info);
  text += kCrLf;
  text += QByteArray(18, '-') + ' ' + kHomePageAddress + ' ' + QByteArray(19, '-') + kCrLf;
  return text;
}

TClipboardDecode DecodeClipboardBookmark(const QByteArray &text, std::unique_ptr<TBMInfo> &info) {
  const qsizetype marker = text.indexOf(kClipboardMarkerBase64);
  if (marker < 0)
    return TClipboardDecode::NoMarker;
  QByteArray record = DecodeBase64Groups(text, marker);
  if (record.size() < kClipboardHeadSize)
    return TClipboardDecode::Incomplete;
  // The record's own bytes, at least a head's worth.
  const char *head = record.data();
  const int32_t titleLength = GetInt(head, 48);
  const int32_t urlLength = GetInt(head, 52);
  const int32_t commentsLength = GetInt(head, 56);
  const int32_t wordsLength = GetInt(head, 60);
  if (titleLength < 0 || urlLength < 0 || commentsLength < 0 || wordsLength < 0)
    return TClipboardDecode::Incomplete;
  const int64_t needed = int64_t(kClipboardHeadSize) + titleLength + urlLength + commentsLength + wordsLength;
  if (needed > record.size())
    return TClipboardDecode::Incomplete;

  auto made = std::make_unique<TBMInfo>();
  made->MaxItemSize = GetInt(head, 16);
  made->IntervalKind = GetInt(head, 20);
  made->Weeks = GetInt(head, 24);
  made->Weekday = GetInt(head, 28);
  made->Days = GetInt(head, 32);
  made->Depth = GetInt(head, 36);
  made->TimeLimit = GetInt(head, 40);
  made->SizeLimit = GetInt(head, 44);
  made->DirMovement = static_cast<uint8_t>(head[64]);
  made->FollowExternal = static_cast<uint8_t>(head[65]);
  made->InlineImages = static_cast<uint8_t>(head[66]);
  made->Java = static_cast<uint8_t>(head[67]);
  made->EmbeddedFiles = static_cast<uint8_t>(head[68]);
  qsizetype at = kClipboardHeadSize;
  const auto take = [&record, &at](int32_t length) {
    QByteArray part = length > 0 ? record.mid(at, length) : QByteArray();
    at += length;
    return part;
  };
  made->URL = take(urlLength);
  made->Title = take(titleLength);
  if (made->Title.isEmpty())
    made->Title = "New Document";
  made->Comments = take(commentsLength);
  made->KillWords = take(wordsLength);
  info = std::move(made);
  return TClipboardDecode::Decoded;
}

} // namespace ql
