#include "library/runtime/data/ini_document.h"

#include "library/runtime/data/text_decode.h"

namespace vx {

namespace {

QString Fold(const QString &name) {
  return name.trimmed().toCaseFolded();
}

// The section name of a header line, or nothing when the line is not a header.
std::optional<QString> HeaderName(const QString &trimmed) {
  if (!trimmed.startsWith(u'['))
    return std::nullopt;
  qsizetype close = trimmed.indexOf(u']');
  return trimmed.mid(1, close < 0 ? -1 : close - 1);
}

QString UnquotedValue(const QString &line, qsizetype equals) {
  QString value = line.mid(equals + 1).trimmed();
  if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
    return value.mid(1, value.size() - 2);
  return value;
}

bool IsComment(const QString &trimmed) {
  return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

} // namespace

IniDocument IniDocument::Parse(QByteArrayView bytes) {
  IniDocument doc;
  qsizetype start = 0;
  while (start < bytes.size()) {
    qsizetype end = bytes.indexOf('\n', start);
    if (end < 0)
      end = bytes.size();
    QByteArrayView line = bytes.sliced(start, end - start);
    if (line.endsWith('\r'))
      line.chop(1);
    doc.lines_.append(DecodeText(line));
    start = end + 1;
  }
  doc.Index();
  return doc;
}

QByteArray IniDocument::Serialize() const {
  QByteArray out;
  for (const QString &line : lines_) {
    out += line.toUtf8();
    out += '\n';
  }
  return out;
}

void IniDocument::Index() {
  sections_.clear();
  Section *current = nullptr;
  for (int i = 0; i < lines_.size(); ++i) {
    const QString trimmed = lines_[i].trimmed();
    if (auto name = HeaderName(trimmed)) {
      QString key = Fold(*name);
      if (sections_.contains(key)) {
        current = nullptr; // a repeated section is ignored
      } else {
        current = &sections_[key];
        current->header = i;
        current->lastLine = i;
      }
      continue;
    }
    if (!current || trimmed.isEmpty())
      continue;
    current->lastLine = i;
    if (IsComment(trimmed))
      continue;
    qsizetype equals = lines_[i].indexOf(u'=');
    if (equals < 0)
      continue;
    QString key = Fold(lines_[i].left(equals));
    if (!key.isEmpty() && !current->entries.contains(key))
      current->entries.insert(key, i);
  }
}

std::optional<QString> IniDocument::Value(const QString &section, const QString &entry) const {
  auto s = sections_.constFind(Fold(section));
  if (s == sections_.cend())
    return std::nullopt;
  auto e = s->entries.constFind(Fold(entry));
  if (e == s->entries.cend())
    return std::nullopt;
  const QString &line = lines_[*e];
  return UnquotedValue(line, line.indexOf(u'='));
}

QString IniDocument::EntryLine(const QString &name, const QString &text) {
  bool quote = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace() ||
                                   (text.size() >= 2 && text.front() == u'"' && text.back() == u'"'));
  return name + u'=' + (quote ? u'"' + text + u'"' : text);
}

IniDocument::SetResult IniDocument::SetValue(const QString &section, const QString &entry,
                                             const QString &value) {
  const QString sectionName = section.trimmed();
  const QString entryName = entry.trimmed();
  auto hasBreak = [](const QString &s) { return s.contains(u'\n') || s.contains(u'\r'); };
  if (sectionName.isEmpty() || sectionName.contains(u']') || hasBreak(sectionName) || entryName.isEmpty() ||
      entryName.contains(u'=') || hasBreak(entryName) || entryName.startsWith(u'[') || IsComment(entryName))
    return SetResult::BadName;

  QString text = value;
  text.replace(QLatin1String("\r\n"), QLatin1String(" "));
  text.replace(u'\r', u' ');
  text.replace(u'\n', u' ');

  auto s = sections_.find(Fold(sectionName));
  if (s == sections_.end()) {
    if (!lines_.isEmpty() && !lines_.back().trimmed().isEmpty())
      lines_.append(QString());
    lines_.append(u'[' + sectionName + u']');
    lines_.append(EntryLine(entryName, text));
  } else if (auto e = s->entries.find(Fold(entryName)); e != s->entries.end()) {
    const QString &old = lines_[*e];
    qsizetype equals = old.indexOf(u'=');
    if (UnquotedValue(old, equals) == text)
      return SetResult::Unchanged;
    lines_[*e] = EntryLine(old.left(equals).trimmed(), text);
  } else {
    lines_.insert(s->lastLine + 1, EntryLine(entryName, text));
  }
  Index();
  return SetResult::Changed;
}

} // namespace vx
