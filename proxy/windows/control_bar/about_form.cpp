#include "proxy/windows/control_bar/about_form.h"

#include "proxy/windows/common/quenlark_picture.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace ql {

TAboutForm::TAboutForm(QWidget *parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Quenlark"));
  auto *layout = new QVBoxLayout(this);
  auto *picture = new QLabel(this);
  picture->setPixmap(QuenlarkPicture(QSize(320, 180)));
  layout->addWidget(picture);
  layout->addWidget(new QLabel(QStringLiteral("<b>Quenlark</b> version 16.2"), this));
  layout->addWidget(new QLabel(QStringLiteral("A personal caching proxy for off-line browsing."), this));
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}

void TAboutForm::showEvent(QShowEvent *event) {
  // Centred on the screen rather than over the window that opens it: the control bar sits in
  // a corner of the screen. The dialog has its size by now, and is not yet on the screen.
  const QWidget *opener = parentWidget();
  if (const QScreen *screen = opener != nullptr ? opener->screen() : QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

} // namespace ql
