#include "library/runtime/windows/page_image_control.h"

#include "library/runtime/windows/window.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

namespace vx {

// Draws the page on white, scaled to the widget.
class PageImageControl::Page : public QWidget {
public:
  Page(PageImageControl &control, QWidget *parent) : QWidget(parent), control_(control) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

protected:
  void paintEvent(QPaintEvent *event) override {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (control_.image_) {
      painter.setRenderHint(QPainter::TextAntialiasing);
      control_.image_->Render(painter, QRectF(rect()), QRectF(event->rect()));
    }
  }
  void mousePressEvent(QMouseEvent *event) override { control_.Clicked(event->button(), false); }
  void mouseDoubleClickEvent(QMouseEvent *event) override { control_.Clicked(event->button(), true); }

private:
  PageImageControl &control_;
};

PageImageControl::PageImageControl(Window &window, int number, const QRect &at, bool scrollBars)
    : Control(window, number, ControlKind::Image) {
  QWidget *parent = window.ClientArea();
  if (scrollBars) {
    area_ = new QScrollArea(parent);
    area_->setBackgroundRole(QPalette::Base);
    area_->setAlignment(Qt::AlignCenter);
    page_ = new Page(*this, area_);
    area_->setWidget(page_);
    area_->setWidgetResizable(false);
  } else {
    page_ = new Page(*this, parent);
  }
  if (!at.isEmpty())
    Widget()->setGeometry(window.Units().ToPixels(at));
  Widget()->show();
}

QWidget *PageImageControl::Widget() const {
  return area_ ? static_cast<QWidget *>(area_) : page_;
}

QString PageImageControl::Text() const {
  return file_;
}

void PageImageControl::SetText(const QString &file) {
  if (file == file_ && (image_ || file.isEmpty()))
    return; // the page shown already
  file_ = file;
  image_ = file.isEmpty() ? std::nullopt : PageImage::Load(file);
  page_->update();
}

QSize PageImageControl::NaturalSize() const {
  if (!image_)
    return {};
  // The page's thousandths of an inch at this screen's dots per inch, then dialog units.
  const QSize size = image_->Size();
  const int width = int(size.width() * double(page_->logicalDpiX()) / 1000 + 0.5);
  const int height = int(size.height() * double(page_->logicalDpiY()) / 1000 + 0.5);
  const DialogUnits &units = Owner().Units();
  return QSize(units.ToUnitsX(width), units.ToUnitsY(height));
}

void PageImageControl::SetDrawnSize(const QSize &du) {
  drawn_ = du;
  if (!area_)
    return;
  const DialogUnits &units = Owner().Units();
  page_->resize(std::max(1, units.ToPixelsX(du.width())), std::max(1, units.ToPixelsY(du.height())));
}

void PageImageControl::SetHorizontalScroll(bool on) {
  if (area_)
    area_->setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void PageImageControl::SetPageCursor(const QCursor &cursor) {
  page_->setCursor(cursor);
}

void PageImageControl::Clicked(Qt::MouseButton button, bool twice) {
  int key = KEY_NONE;
  if (button == Qt::LeftButton)
    key = twice ? KEY_MOUSE_LEFT2 : KEY_MOUSE_LEFT;
  else if (button == Qt::RightButton)
    key = KEY_MOUSE_RIGHT;
  if (key != KEY_NONE && IsAlerted(key))
    Post(EventKind::AlertKey, key);
}

} // namespace vx
