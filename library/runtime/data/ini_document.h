#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace vx {

// The parsed content of one private-profile file: "[section]" headers and "entry=value"
// lines. Every line of the file is kept as it was, comments and lines it cannot read
// included, so that writing an entry changes that entry's line only.
//
// Names are matched without regard to case and around their outer blanks, and may hold
// any character but the line breaks, ']' in a section name and '=' in an entry name (so
// "BrowseURL:K_Category" and "?Browse:1" are plain names). A value loses its outer blanks
// and one pair of enclosing double quotes; SetValue quotes a value that would otherwise
// lose something that way, so every value reads back as written, except that its line
// breaks become blanks. When a section or entry appears twice, the first one counts.
class IniDocument {
public:
  static IniDocument Parse(QByteArrayView bytes);
  QByteArray Serialize() const;

  std::optional<QString> Value(const QString &section, const QString &entry) const;

  enum class SetResult { Changed, Unchanged, BadName };
  SetResult SetValue(const QString &section, const QString &entry, const QString &value);

private:
  struct Section {
    int header = -1;             // line of "[name]"
    int lastLine = -1;           // last non-blank line that belongs to the section
    QHash<QString, int> entries; // folded entry name -> line
  };

  void Index();
  static QString EntryLine(const QString &name, const QString &text);

  QStringList lines_;
  QHash<QString, Section> sections_; // folded section name -> section
};

} // namespace vx
