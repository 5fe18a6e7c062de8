#include "proxy/windows/startup/engine_window.h"

#include <QCoreApplication>

#include <cstdio>

namespace ql {

namespace {

void PrintLine(const QString &line) {
  std::fprintf(stderr, "%s\n", qPrintable(line));
  std::fflush(stderr);
}

} // namespace

TEngineWindow::TEngineWindow(TRegIniFile &settings, const QString &dataDirectory, bool firstUse,
                             const QStringList &parameters, TOnLineButton *onLineButton)
    : road_(settings, QCoreApplication::applicationDirPath() + QStringLiteral("/images")) {
  TNetworkWindowSetup setup;
  setup.settings = &settings;
  setup.dataDirectory = dataDirectory;
  setup.firstUse = firstUse;
  setup.parameters = parameters;
  setup.links = road_.Links();
  setup.links.onLineButton = onLineButton;
  form_ = std::make_unique<TForm1>(setup);
  for (const QString &line : form_->EngineLog().Lines())
    PrintLine(line);
  QObject::connect(&form_->EngineLog(), &TEngineLog::lineAdded, &PrintLine);
}

} // namespace ql
