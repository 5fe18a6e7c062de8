#include "proxy/windows/common/help_window.h"

#include "proxy/engine/http/paths.h"
#include "proxy/platform/message_dialogs.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTextBrowser>

namespace ql {

namespace {

constexpr qint64 kMaxHelpBytes = 1 << 20;

QPointer<QTextBrowser> &HelpWindow() {
  static QPointer<QTextBrowser> window;
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

} // namespace

void ShowHelpContext(int context) {
  QPointer<QTextBrowser> &window = HelpWindow();
  if (window.isNull()) {
    QString html;
    if (!ReadHelpFile(HelpFile(), html)) {
      MessageDlg(QStringLiteral("Cannot open the help file %1.").arg(FileSystemPath(HelpFile())),
                 DialogKind::Error, DialogButtons::Ok);
      return;
    }
    window = new QTextBrowser;
    window->setWindowTitle(QStringLiteral("Quenlark Help"));
    window->setOpenLinks(true);
    window->setOpenExternalLinks(false);
    window->setHtml(html);
    window->resize(560, 620);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, [] { delete HelpWindow().data(); });
  }
  window->show();
  window->raise();
  window->activateWindow();
  window->scrollToAnchor(QStringLiteral("context-%1").arg(context));
}

} // namespace ql
