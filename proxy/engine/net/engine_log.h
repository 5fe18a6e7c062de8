#pragma once

#include <QObject>
#include <QStringList>

namespace ql {

// The engine's log: a short list of lines for whoever shows it. Whenever an added line
// leaves more than kMaxLines lines, the log is emptied first, so it never grows without
// bound. Every added line is also announced through lineAdded.
class TEngineLog : public QObject {
  Q_OBJECT

public:
  static constexpr qsizetype kMaxLines = 100;

  void Add(const QString &line);
  const QStringList &Lines() const { return lines_; }

signals:
  void lineAdded(const QString &line);

private:
  QStringList lines_;
};

} // namespace ql
