#include "proxy/windows/cache_explorer/progress_panel.h"

#include "proxy/engine/search/go_on_flag.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace ql {

TProgressPanel::TProgressPanel(QWidget *parent)
    : QFrame(parent), caption_(new QLabel(this)), label_(new QLabel(this)), bar_(new QProgressBar(this)) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setAutoFillBackground(true);
  auto *layout = new QVBoxLayout(this);
  caption_->setAlignment(Qt::AlignCenter);
  QFont bold = caption_->font();
  bold.setBold(true);
  caption_->setFont(bold);
  layout->addWidget(caption_);
  layout->addWidget(label_);
  layout->addWidget(bar_);
  bar_->setRange(0, 100);
  setFixedSize(300, 100);
  hide();
}

void TProgressPanel::ShowCaption(const QString &caption) {
  caption_->setText(caption);
  if (QWidget *window = parentWidget())
    move((window->width() - width()) / 2, (window->height() - height()) / 2);
  show();
  raise();
  repaint();
}

void TProgressPanel::ShowProgressLine(bool shown) {
  label_->setVisible(shown);
  bar_->setVisible(shown);
}

void TProgressPanel::SetLabel(const QString &text) {
  label_->setText(text);
}

void TProgressPanel::SetPercent(int percent) {
  bar_->setValue(percent);
  repaint();
}

QString TProgressPanel::Caption() const {
  return caption_->text();
}

bool TPanelListProgress::ShowProgress(int percent) {
  panel_.SetPercent(percent);
  QCoreApplication::processEvents();
  return GoOnFlag;
}

} // namespace ql
