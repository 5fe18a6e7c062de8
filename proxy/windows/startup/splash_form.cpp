#include "proxy/windows/startup/splash_form.h"

#include "proxy/windows/common/quenlark_picture.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace ql {

namespace {

constexpr QSize kSplashSize(400, 240);

} // namespace

TSplashForm::TSplashForm()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  resize(kSplashSize);
  if (const QScreen *screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
}

void TSplashForm::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, QuenlarkPicture(size()));
}

} // namespace ql
