#pragma once

#include "library/runtime/report/page_image.h"

#include "library/runtime/windows/control.h"

#include <QCursor>
#include <optional>

class QScrollArea;

namespace vx {

// An image control that shows a page image file (page_image.h), for the report preview.
// Its text is the file's name; setting it loads the page (a file that cannot be read
// shows an empty page and a natural size of 0 × 0). NaturalSize is the page's true size
// on this screen, in the window's dialog units.
//
// Without scroll bars the page is drawn to fill the control. With scroll bars the page is
// drawn at its drawn size (SetDrawnSize, in dialog units) inside the control, which
// scrolls over it; horizontal scrolling can be turned off. A mouse button alerted on the
// control (Control::Alert) posts AlertKey when it is pressed over the page, and the page
// shows its own mouse pointer.
class PageImageControl : public Control {
public:
  PageImageControl(Window &window, int number, const QRect &at, bool scrollBars = false);
  QWidget *Widget() const override;
  QString Text() const override;
  void SetText(const QString &file) override;

  QSize NaturalSize() const;
  QSize DrawnSize() const { return drawn_; }
  void SetDrawnSize(const QSize &du);
  void SetHorizontalScroll(bool on);
  void SetPageCursor(const QCursor &cursor);

private:
  class Page;
  void Clicked(Qt::MouseButton button, bool twice);

  QScrollArea *area_ = nullptr;
  Page *page_;
  QString file_;
  std::optional<PageImage> image_;
  QSize drawn_;
};

} // namespace vx
