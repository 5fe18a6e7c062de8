#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/http/paths.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/listener_restart.h"
#include "proxy/engine/net/own_addresses.h"
#include "proxy/platform/atomic_file.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/cache_explorer/cache_form.h"
#include "proxy/windows/setup/setup_form.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryFile>

#include <cmath>
#include <limits>

namespace ql {

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kNetwork = QStringLiteral("Network");
const QString kCache = QStringLiteral("Cache");

void TrimEnd(QLineEdit *box) {
  QString text = box->text();
  while (!text.isEmpty() && text.back().isSpace())
    text.chop(1);
  if (text != box->text())
    box->setText(text);
}

// The folder exists, or can be made, and a file can be written in it.
bool UsableDirectory(const QString &directory) {
  if (!QDir().mkpath(directory))
    return false;
  QTemporaryFile probe(directory + QStringLiteral("/quenlark-XXXXXX.tmp"));
  return probe.open() && probe.write("x", 1) == 1 && probe.flush();
}

// The port a box names: its text, blanks around it aside, is a number from 1 to 65535 and
// nothing else. Zero when it is not.
int PortNumber(const QLineEdit *box) {
  static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
  const QString text = box->text().trimmed();
  if (!digits.match(text).hasMatch())
    return 0;
  const int port = text.toInt();
  return port <= 65535 ? port : 0;
}

// The data directory as the settings keep it: blanks at its end removed, then a final
// separator.
QString DataDirSetting(const QString &text) {
  QString path = text;
  while (!path.isEmpty() && path.back().isSpace())
    path.chop(1);
  if (!path.endsWith(QLatin1Char('/')))
    AddTrailingBackslash(path);
  return path;
}

} // namespace

bool TSetupForm::Refuse(QWidget *page, QWidget *box, const QString &message) {
  MessageDlg(message, DialogKind::Warning, DialogButtons::Ok);
  pages_->setCurrentWidget(page);
  box->setFocus();
  return false;
}

bool TSetupForm::ValidateSettings() {
  TrimEnd(proxyIP_);
  TrimEnd(proxyPort_);
  const QString host = proxyIP_->text();
  if (host.contains(QLatin1String("127.0.0.1")) || host.contains(QLatin1String("localhost")) ||
      host.contains(QString::fromLatin1(kPseudoHost))) {
    const DialogButton answer = MessageDlg(
        QStringLiteral("The Proxy Server name should point to your Internet service provider's Proxy "
                       "server, and cannot be set to a local address. Undo changes and continue?"),
        DialogKind::Confirmation, DialogButtons::YesNoCancel);
    if (answer != DialogButton::Yes) {
      pages_->setCurrentWidget(general_);
      proxyIP_->setFocus();
      return false;
    }
    proxyIP_->clear();
    proxyPort_->clear();
    proxyIP_->setModified(true);
    proxyPort_->setModified(true);
  } else if (host.isEmpty() != proxyPort_->text().isEmpty()) {
    return Refuse(
        general_, proxyIP_,
        QStringLiteral("If you wish to use your service provider's proxy server \r\n you must supply "
                       "both the IP and port numbers."));
  } else if (!proxyPort_->text().isEmpty() && PortNumber(proxyPort_) == 0) {
    return Refuse(general_, proxyPort_,
                  QStringLiteral("The proxy server's Port must be a number between 1 and 65535."));
  }

  const std::pair<QLineEdit *, QString> required[] = {
      {httpPort_, QStringLiteral("Service Port field cannot be blank.")},
      {cacheNumResults_, QStringLiteral("Cache Display field cannot be blank.")},
      {dataDir_, QStringLiteral("Quenlark Data Directory field cannot be blank.")},
      {maxCacheSize_, QStringLiteral("Maximum Cache Size field cannot be blank.")},
      {maxItemSize_, QStringLiteral("Maximum Cache Item Size field cannot be blank.")},
  };
  for (const auto &[box, message] : required) {
    if (box->text().trimmed().isEmpty())
      return Refuse(advanced_, box, message);
  }
  if (maxCacheSize_->text().toDouble() < 2)
    return Refuse(advanced_, maxCacheSize_, QStringLiteral("Maximum Cache Size must be at least 2Mb."));
  const double itemKb = maxItemSize_->text().toDouble();
  if (itemKb < 30)
    return Refuse(advanced_, maxItemSize_, QStringLiteral("Maximum Cache Item Size must be at least 30Kb."));
  // The limits are kept in bytes as 32-bit numbers.
  const double maxKb = std::floor(std::numeric_limits<int32_t>::max() / 1024.0);
  if (itemKb > maxKb)
    return Refuse(
        advanced_, maxItemSize_,
        QStringLiteral("Maximum Cache Item Size must be at most %1Kb.").arg(static_cast<qint64>(maxKb)));
  if (PortNumber(httpPort_) == 0)
    return Refuse(advanced_, httpPort_, QStringLiteral("Service Port must be a number between 1 and 65535."));
  if (cacheNumResults_->text().toInt() < 1)
    return Refuse(advanced_, cacheNumResults_, QStringLiteral("Cache Display count must be at least 1."));
  const QString dataDir = DataDirSetting(dataDir_->text());
  if (FileSystemPath(dataDir) != FileSystemPath(DataDirSetting(shownDataDir_)) &&
      !UsableDirectory(FileSystemPath(dataDir)))
    return Refuse(advanced_, dataDir_,
                  QStringLiteral("The Quenlark Data Directory %1 cannot be created or written.")
                      .arg(FileSystemPath(dataDir)));
  return true;
}

void TSetupForm::WriteSetting(const std::function<void()> &write) {
  try {
    write();
  } catch (const RegistryError &error) {
    if (!std::exchange(writeFailed_, true))
      MessageDlg(QStringLiteral("The settings cannot be saved: %1").arg(QString::fromUtf8(error.what())),
                 DialogKind::Error, DialogButtons::Ok);
  }
}

bool TSetupForm::ApplyListener() {
  const int port = PortNumber(httpPort_);
  const bool loopback = useLoopback_->isChecked();
  if (!httpPort_->isModified() && loopback == EngineSettings.UseLoopback)
    return true;
  if (port == EngineSettings.HTTPProxyPort && loopback == EngineSettings.UseLoopback)
    return true;
  if (!RestartListener(port, loopback)) {
    // The listener serves where it was: the boxes show that again.
    httpPort_->setText(QString::number(EngineSettings.HTTPProxyPort));
    useLoopback_->setChecked(EngineSettings.UseLoopback);
    pages_->setCurrentWidget(advanced_);
    httpPort_->setFocus();
    return false;
  }
  WriteSetting([&] {
    settings_.WriteInteger(kNetwork, QStringLiteral("HTTPProxyPort"), port);
    settings_.WriteBool(kNetwork, QStringLiteral("UseLoopback"), loopback);
  });
  return true;
}

void TSetupForm::OKButtonClick() {
  if (!ValidateSettings())
    return;
  writeFailed_ = false;
  TEngineSettings &s = EngineSettings;
  TCacheStore &store = links_.cache->Store();
  if (maxCacheSize_->isModified()) {
    s.MaxCacheSize = static_cast<int32_t>(std::lround(maxCacheSize_->text().toDouble() * 1048576.0));
    store.SetMaxCacheSize(s.MaxCacheSize);
    WriteSetting([&] { settings_.WriteInteger(kCache, QStringLiteral("MaxCacheSize"), s.MaxCacheSize); });
  }
  if (maxItemSize_->isModified()) {
    s.MaxCacheItemSize = static_cast<int32_t>(std::lround(maxItemSize_->text().toDouble() * 1024.0));
    store.SetMaxCacheItemSize(s.MaxCacheItemSize);
    WriteSetting(
        [&] { settings_.WriteInteger(kCache, QStringLiteral("MaxCacheItemSize"), s.MaxCacheItemSize); });
  }
  const bool listening = ApplyListener();

  if (showFilenames_->isChecked() != s.ShowFilenames) {
    s.ShowFilenames = showFilenames_->isChecked();
    WriteSetting([&] {
      settings_.WriteBool(QStringLiteral("Cache Explorer Properties"), QStringLiteral("ShowFilenames"),
                          s.ShowFilenames);
    });
    // The title column and the title order both depend on it.
    if (links_.explorer != nullptr && links_.explorer->View().Exists()) {
      links_.explorer->SortView(links_.explorer->SortedBy, links_.explorer->SortDirection);
      links_.explorer->ShowItems();
    }
  }
  const std::pair<QCheckBox *, bool *> flags[] = {
      {activate_, &s.ActivateBrowserWindow},
      {autoStart_, &s.AutoStartBrowser},
      {linkMsie3_, &s.DDEMSIE3},
      {showBookmarks_, &s.ShowBookmarks},
      {restoreOnExit_, &s.RestoreBrowserOnExit},
  };
  const QString names[] = {QStringLiteral("ActivateBrowserWindow"), QStringLiteral("AutoStartBrowser"),
                           QStringLiteral("DDEMSIE3"), QStringLiteral("ShowBookmarks"),
                           QStringLiteral("RestoreBrowserOnExit")};
  for (std::size_t i = 0; i < std::size(flags); ++i) {
    const auto &[box, value] = flags[i];
    if (box->isChecked() == *value)
      continue;
    *value = box->isChecked();
    WriteSetting([&] { settings_.WriteBool(kGeneral, names[i], *value); });
  }
  WriteSetting(
      [&] { settings_.WriteBool(kGeneral, QStringLiteral("FlashControlbar"), flash_->isChecked()); });

  if (proxyIP_->isModified()) {
    const QString host = proxyIP_->text();
    UpstreamProxyHost =
        host.isEmpty() || host.contains(QLatin1String("127.0.0.1")) ? QByteArray() : host.toLatin1();
    s.ProxyIP = host;
    WriteSetting([&] { settings_.WriteString(kNetwork, QStringLiteral("ProxyIP"), host); });
  }
  if (proxyPort_->isModified()) {
    s.ProxyPort = proxyPort_->text().isEmpty() ? -1 : PortNumber(proxyPort_);
    WriteSetting([&] { settings_.WriteInteger(kNetwork, QStringLiteral("ProxyPort"), s.ProxyPort); });
  }
  UseUpstreamProxy = !UpstreamProxyHost.isEmpty() && s.ProxyPort != -1;

  if (killMemo_->document()->isModified()) {
    try {
      links_.restrict.WriteText(killMemo_->toPlainText());
      killMemo_->document()->setModified(false);
      if (restrictChanged_)
        restrictChanged_();
    } catch (const FileWriteError &error) {
      MessageDlg(QString::fromUtf8(error.what()), DialogKind::Error, DialogButtons::Ok);
    }
  }
  const QString storedPath = settings_.ReadString(kGeneral, QStringLiteral("BrowserPath"), {});
  if (brManual_->isChecked() && browserPath_->text() != storedPath)
    WriteSetting(
        [&] { settings_.WriteString(kGeneral, QStringLiteral("BrowserPath"), browserPath_->text()); });
  if (cacheNumResults_->isModified() && !cacheNumResults_->text().isEmpty()) {
    s.CacheNumResults = cacheNumResults_->text().toInt();
    WriteSetting([&] {
      settings_.WriteInteger(QStringLiteral("HTML Cache Explorer Properties"),
                             QStringLiteral("CacheNumResults"), s.CacheNumResults);
    });
  }
  const QString dataDir = DataDirSetting(dataDir_->text());
  if (FileSystemPath(dataDir) != FileSystemPath(DataDirSetting(shownDataDir_))) {
    WriteSetting([&] { settings_.WriteString(kCache, QStringLiteral("Path"), dataDir); });
    shownDataDir_ = dataDir_->text();
    MessageDlg(
        QStringLiteral("You will need to restart Quenlark for changes\r\nto the data directory location to "
                       "take effect."),
        DialogKind::Information, DialogButtons::Ok);
  }
  s.AutoLocateBrowser = !brManual_->isChecked();
  s.UseIExplore = brMsie_->isChecked();
  WriteSetting([&] {
    settings_.WriteBool(kGeneral, QStringLiteral("AutoLocateBrowser"), s.AutoLocateBrowser);
    settings_.WriteBool(kGeneral, QStringLiteral("UseIExplore"), s.UseIExplore);
  });
  ApplyBrowserPathEnabling();
  for (QLineEdit *box : findChildren<QLineEdit *>())
    box->setModified(false);
  if (listening)
    accept();
}

} // namespace ql
