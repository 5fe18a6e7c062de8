#include "proxy/windows/common/help_window.h"

#include "proxy/engine/http/paths.h"
#include "proxy/platform/message_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

#include <utility>

namespace ql {

namespace {

constexpr qint64 kMaxHelpBytes = 1 << 20;
constexpr int kContents = 1;
const QString kContextPrefix = QStringLiteral("context-");

// The help window: a read-only page that Escape closes and whose links to other sections turn
// to them.
class THelpBrowser : public QTextBrowser {
public:
  THelpBrowser() {
    setWindowTitle(QStringLiteral("Quenlark Help"));
    setOpenLinks(false);
    resize(560, 620);
    connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl &link) {
      const QString fragment = link.fragment();
      bool number = false;
      const int context =
          fragment.startsWith(kContextPrefix) ? fragment.mid(kContextPrefix.size()).toInt(&number) : 0;
      if (number)
        ShowHelpContext(context);
    });
  }

protected:
  void keyPressEvent(QKeyEvent *event) override {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
      close();
      return;
    }
    QTextBrowser::keyPressEvent(event);
  }
};

QPointer<THelpBrowser> &HelpWindow() {
  static QPointer<THelpBrowser> window;
  return window;
}

// The help file's text, read whole when it is at most 1 MiB; false when it cannot be.
bool ReadHelpFile(const QString &path, QString &html) {
  QFile file(FileSystemPath(path));
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxHelpBytes)
    return false;
  const QByteArray bytes = file.read(kMaxHelpBytes + 1);
  if (bytes.size() > kMaxHelpBytes)
    return false;
  html = QString::fromUtf8(bytes);
  return true;
}

// The section of a help text for a context, as a page of its own; the contents section when
// there is none for the context, and the whole text when it has no sections at all.
QString HelpSection(const QString &html, int context) {
  static const QRegularExpression anchor(QStringLiteral("<a\\s+name\\s*=\\s*\"context-(\\d+)\"\\s*>"),
                                         QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression end(QStringLiteral("</body\\s*>"),
                                      QRegularExpression::CaseInsensitiveOption);
  qsizetype contents = -1;
  qsizetype begin = -1;
  for (auto it = anchor.globalMatch(html); it.hasNext() && begin < 0;) {
    const QRegularExpressionMatch match = it.next();
    const int number = match.captured(1).toInt();
    if (number == context)
      begin = match.capturedStart();
    else if (number == kContents && contents < 0)
      contents = match.capturedStart();
  }
  if (begin < 0)
    begin = contents;
  if (begin < 0)
    return html;
  const QRegularExpressionMatch next = anchor.match(html, begin + 1);
  qsizetype stop = next.hasMatch() ? next.capturedStart() : html.indexOf(end, begin);
  if (stop < 0)
    stop = html.size();
  return QStringLiteral("<html><body>") + html.mid(begin, stop - begin) + QStringLiteral("</body></html>");
}

} // namespace

void ShowHelpContext(int context) {
  QString html;
  if (!ReadHelpFile(HelpFile(), html)) {
    MessageDlg(QStringLiteral("Cannot open the help file %1.").arg(FileSystemPath(HelpFile())),
               DialogKind::Error, DialogButtons::Ok);
    return;
  }
  QPointer<THelpBrowser> &window = HelpWindow();
  if (window.isNull()) {
    window = new THelpBrowser;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, [] { delete HelpWindow().data(); });
  }
  // Help asked for from a modal dialog belongs to that dialog: any other window would be
  // blocked by it, its keys and links with it, until the dialog closed.
  QWidget *owner = QApplication::activeModalWidget();
  if (owner == window)
    owner = nullptr;
  if (window->parentWidget() != owner)
    window->setParent(owner, Qt::Window);
  window->setHtml(HelpSection(html, context));
  window->show();
  window->raise();
  window->activateWindow();
}

void AddHelpKey(QWidget *window, std::function<void()> showHelp) {
  auto *key = new QShortcut(QKeySequence(Qt::Key_F1), window);
  key->setContext(Qt::WindowShortcut);
  QObject::connect(key, &QShortcut::activated, window, std::move(showHelp));
}

void AddHelpKey(QWidget *window, QAbstractButton *helpButton) {
  AddHelpKey(window, [helpButton] { helpButton->click(); });
}

} // namespace ql
