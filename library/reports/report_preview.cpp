#include "library/reports/report_preview.h"

#include "library/core/globals.h"
#include "library/reports/preview_dialogs.h"
#include "library/reports/preview_layout.h"
#include "library/reports/preview_pictures.h"
#include "library/runtime/report/page_queue.h"
#include "library/runtime/windows/box_control.h"
#include "library/runtime/windows/check_item_control.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/page_image_control.h"
#include "library/runtime/windows/popup_menu.h"
#include "library/runtime/windows/spin_control.h"
#include "library/runtime/windows/window.h"
#include "library/runtime/windows/window_bars.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <array>

namespace vx {

namespace {

constexpr int kToolbarHeight = 18;

// One preview: its window and the state that its refresh works on.
class Preview {
public:
  explicit Preview(PageQueue &queue)
      : queue_(queue),
        window_(WindowSpec(QStringLiteral("Report Preview"), WindowKind::Dialog, QRect(0, 0, 440, 320))) {
    BuildMenus();
    BuildToolbar();
    window_.Bars().SetStatusZones({0, 90, 80});
  }

  bool Run() {
    FitToScreen();
    window_.Open();
    window_.Alert(Qt::Key_PageUp);
    window_.Alert(Qt::Key_PageDown);
    window_.SetCancelButton(kPreviewExitButton);
    Measure();
    total_ = queue_.Records();
    if (total_ <= 1) {
      for (int control :
           {int(kPreviewPageSpin), int(kPreviewAcrossSpin), int(kPreviewDownSpin), int(kPreviewViewMenu)})
        window_.Disable(control);
    } else {
      auto &spin = window_.Get<SpinControl>(kPreviewPageSpin);
      spin.SetRange(1, total_);
      SetStatusMessage(spin, QStringLiteral("Enter a page number from 1 to %1").arg(total_));
    }
    SetMode(ZoomMode::NoZoom);
    Refresh();
    while (window_.Accept())
      Handle(window_.CurrentEvent());
    window_.Close();
    return printRequested_;
  }

private:
  void BuildMenus() {
    WindowBars &bars = window_.Bars();
    QMenu *file = bars.AddMenu(kPreviewFileMenu, QStringLiteral("&File"));
    bars.AddItem(file, kPreviewPrint, QStringLiteral("&Print"), QStringLiteral("Print the report"));
    bars.AddItem(file, kPreviewExit, QStringLiteral("E&xit"),
                 QStringLiteral("Exit without printing the report"));
    QMenu *view = bars.AddMenu(kPreviewViewMenu, QStringLiteral("&View"));
    bars.AddItem(view, kPreviewNext, QStringLiteral("&Next Page(s)"),
                 QStringLiteral("View the next page or pages of the report"));
    bars.AddItem(view, kPreviewPrevious, QStringLiteral("&Previous Page(s)"),
                 QStringLiteral("View the next page or pages of the report"));
    bars.AddItem(view, kPreviewJump, QStringLiteral("&Jump to a page"),
                 QStringLiteral("Jump to a specific page of the report"));
    bars.AddItem(view, kPreviewChangeDisplay, QStringLiteral("&Change Display"),
                 QStringLiteral("Change the number of pages displayed"));
    QMenu *zoom = bars.AddMenu(kPreviewZoomMenu, QStringLiteral("&Zoom"));
    static const char *const items[kZoomModes] = {"No &Zoom",    "Page &Width",  "&50 Percent",
                                                  "&75 Percent", "&100 Percent", "&200 Percent",
                                                  "&300 Percent"};
    for (int i = 0; i < kZoomModes; ++i)
      bars.AddCheckItem(zoom, kPreviewNoZoom + i, QString::fromLatin1(items[i])).Use(modes_[std::size_t(i)]);
  }

  void BuildToolbar() {
    WindowBars &bars = window_.Bars();
    bars.SetToolbarHeight(kToolbarHeight);
    const struct {
      int number;
      QIcon icon;
      const char *message;
      int x;
    } buttons[] = {{kPreviewPrintButton, PrintIcon(), "Print this report", 2},
                   {kPreviewExitButton, ExitIcon(), "Exit without printing the report", 20},
                   {kPreviewZoomButton, ZoomIcon(), "Zoom in on a page of the report", 38}};
    for (const auto &b : buttons) {
      auto &button = window_.Add<ButtonControl>(b.number, QString(), QRect(b.x, 2, 16, 14));
      static_cast<QPushButton *>(button.Widget())->setIcon(b.icon);
      button.SetTip(QString::fromLatin1(b.message));
      SetStatusMessage(button, QString::fromLatin1(b.message));
      button.Widget()->setFocusPolicy(Qt::NoFocus);
      bars.PutOnToolbar(button);
    }
    const struct {
      int prompt;
      const char *text;
      int spin;
      int digits;
      int *variable;
      const char *message;
      int x;
      int promptWidth;
    } spins[] = {{kPreviewPagePrompt, "&Page:", kPreviewPageSpin, 4, &current_, "", 62, 28},
                 {kPreviewAcrossPrompt, "&Across:", kPreviewAcrossSpin, 2, &across_,
                  "Select the number of thumbnails in a row", 132, 34},
                 {kPreviewDownPrompt, "&Down:", kPreviewDownSpin, 2, &down_,
                  "Select the number of thumbnails in a column", 200, 30}};
    for (const auto &s : spins) {
      bars.PutOnToolbar(
          window_.Add<LabelControl>(s.prompt, QString::fromLatin1(s.text), QRect(s.x, 5, s.promptWidth, 9)));
      auto &spin = window_.Add<SpinControl>(
          s.spin, QRect(s.x + s.promptWidth + 2, 3, s.digits == 4 ? 34 : 26, 12), s.digits, 1, 10);
      spin.Use(*s.variable);
      SetStatusMessage(spin, QString::fromLatin1(s.message));
      bars.PutOnToolbar(spin);
    }
  }

  // Gives the window, before it opens, most of the frame's screen, so that a page shows large
  // enough to read; it then opens centred over the frame as far as the screen allows, as
  // every window of its own does.
  void FitToScreen() {
    const Window *frame = Window::Frame();
    const QScreen *screen = frame ? frame->Outer()->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen->availableGeometry();
    window_.Outer()->resize(room.width() * 3 / 4, room.height() * 9 / 10);
  }

  // The natural size of page 1, through an image control made for the purpose.
  void Measure() {
    auto &probe = window_.Add<PageImageControl>(kPreviewMeasure, QRect(0, 0, 1, 1));
    probe.SetText(queue_.Get(1));
    const QSize natural = probe.NaturalSize();
    window_.Remove(kPreviewMeasure);
    pageWidth_ = natural.width();
    pageHeight_ = natural.height();
    aspect_ = pageWidth_ > 0 ? double(pageHeight_) / pageWidth_ : 0;
  }

  ZoomMode Mode() const {
    for (int i = 0; i < kZoomModes; ++i) {
      if (modes_[std::size_t(i)])
        return ZoomMode(i + 1);
    }
    return ZoomMode::NoZoom;
  }

  void SetMode(ZoomMode mode) {
    modes_.fill(0);
    modes_[std::size_t(int(mode) - 1)] = 1;
  }

  QSize ClientSize() const {
    const QWidget *client = window_.ClientArea();
    return QSize(window_.Units().ToUnitsX(client->width()), window_.Units().ToUnitsY(client->height()));
  }

  void Handle(const Event &event) {
    switch (event.kind) {
    case EventKind::Sized:
      break;
    case EventKind::NewSelection:
      if (event.control == kPreviewAcrossSpin || event.control == kPreviewDownSpin)
        SetMode(ZoomMode::NoZoom);
      else if (event.control != kPreviewPageSpin)
        return;
      break;
    case EventKind::Rejected: {
      auto *spin = dynamic_cast<SpinControl *>(window_.Find(event.control));
      if (!spin)
        return;
      const int bound = event.detail == RejectDetail::AboveRange ? spin->High() : spin->Low();
      spin->SetSpinValue(bound);
      spin->Update();
      window_.Display(event.control);
      break;
    }
    case EventKind::AlertKey:
      if (event.key == Qt::Key_PageUp) {
        window_.Post(EventKind::Accepted, kPreviewPrevious);
        return;
      }
      if (event.key == Qt::Key_PageDown) {
        window_.Post(EventKind::Accepted, kPreviewNext);
        return;
      }
      if (event.control == kPreviewZoomedPage) {
        SetMode(ZoomMode::NoZoom);
      } else if (event.control >= kThumbnailImage && event.control < kThumbnailImage + perScreen_) {
        current_ += event.control - kThumbnailImage;
        SetMode(ZoomMode::PageWidth);
      } else {
        return;
      }
      break;
    case EventKind::Accepted:
      if (!Accepted(event.control))
        return;
      break;
    default:
      return;
    }
    Refresh();
  }

  // Handles a control's Accepted; false when the window needs no refresh after it.
  bool Accepted(int control) {
    switch (control) {
    case kPreviewPrint:
    case kPreviewPrintButton:
      printRequested_ = true;
      window_.Post(EventKind::CloseWindow);
      return false;
    case kPreviewExit:
    case kPreviewExitButton:
      window_.Post(EventKind::CloseWindow);
      return false;
    case kPreviewZoomButton:
      if (const int choice = POPUP(ZoomPopupText(Mode())); choice >= 1 && choice <= kZoomModes)
        SetMode(ZoomMode(choice));
      return true;
    case kPreviewPageSpin:
      return true;
    case kPreviewNext:
      current_ = NextPage(current_, Zoomed() ? 0 : perScreen_, total_);
      return true;
    case kPreviewPrevious:
      current_ = PreviousPage(current_, Zoomed() ? 0 : perScreen_);
      return true;
    case kPreviewJump:
      current_ = PreviewJumpToPage(current_, total_);
      return true;
    case kPreviewChangeDisplay:
      PreviewSelectDisplay(across_, down_);
      return true;
    default:
      if (control >= kPreviewNoZoom && control < kPreviewNoZoom + kZoomModes) {
        SetMode(ZoomMode(control - kPreviewNoZoom + 1));
        return true;
      }
      return false;
    }
  }

  bool Zoomed() const { return Mode() != ZoomMode::NoZoom; }

  void Refresh() {
    current_ = std::clamp(current_, 1, std::max(1, total_));
    if (Zoomed())
      ShowZoomed();
    else
      ShowThumbnails();
    for (int i = 0; i < kZoomModes; ++i)
      window_.Display(kPreviewNoZoom + i);
    for (int spin : {kPreviewPageSpin, kPreviewAcrossSpin, kPreviewDownSpin})
      window_.Display(spin);
  }

  void RemoveThumbnails() {
    for (int k = 0; k < perScreen_; ++k) {
      window_.Remove(kThumbnailImage + k);
      window_.Remove(kThumbnailBox + k);
    }
    perScreen_ = 0;
  }

  void ShowThumbnails() {
    if (single_) {
      window_.Remove(kPreviewZoomedPage);
      single_ = false;
    }
    if (across_ != lastAcross_ || down_ != lastDown_) {
      RemoveThumbnails();
      const int count = std::clamp(across_, 1, 10) * std::clamp(down_, 1, 10);
      for (int k = 0; k < count; ++k) {
        window_.Add<BoxControl>(kThumbnailBox + k, QRect(), QColor(Qt::white));
        auto &image = window_.Add<PageImageControl>(kThumbnailImage + k, QRect());
        image.SetPageCursor(ZoomCursor());
        image.Alert(KEY_MOUSE_LEFT);
      }
      perScreen_ = count;
      lastAcross_ = across_;
      lastDown_ = down_;
    }
    const std::vector<QRect> cells = ThumbnailCells(ClientSize(), lastAcross_, lastDown_, aspect_);
    for (int k = 0; k < perScreen_; ++k) {
      window_.Find(kThumbnailBox + k)->SetPosition(cells[std::size_t(k)]);
      window_.Find(kThumbnailImage + k)->SetPosition(cells[std::size_t(k)]);
    }
    for (int k = 0; k < perScreen_; ++k) {
      const int page = current_ + k;
      Control *box = window_.Find(kThumbnailBox + k);
      Control *image = window_.Find(kThumbnailImage + k);
      if (page <= total_) {
        image->SetText(queue_.Get(page));
        if (image->IsHidden()) {
          box->Unhide();
          image->Unhide();
        }
      } else if (!image->IsHidden()) {
        box->Hide();
        image->Hide();
      }
    }
    if (total_ > 1) {
      SetEnabled(kPreviewPrevious, current_ != 1);
      SetEnabled(kPreviewNext, current_ + perScreen_ <= total_);
    }
    window_.Bars().SetZoneText(2, PageText(current_, perScreen_, total_));
    window_.Bars().SetZoneText(3, ZoomText(ZoomMode::NoZoom));
  }

  void ShowZoomed() {
    RemoveThumbnails();
    const QSize client = ClientSize();
    if (!single_) {
      auto &page = window_.Add<PageImageControl>(kPreviewZoomedPage,
                                                 QRect(0, 0, client.width(), client.height()), true);
      page.SetPageCursor(ZoomCursor());
      page.Alert(KEY_MOUSE_LEFT);
      page.Unhide();
      single_ = true;
    }
    auto &page = window_.Get<PageImageControl>(kPreviewZoomedPage);
    page.SetPosition(QRect(0, 0, client.width(), client.height()));
    const ZoomMode mode = Mode();
    const double factor = ZoomFactor(mode, client.width(), pageWidth_);
    page.SetHorizontalScroll(ZoomScrollsAcross(mode));
    page.SetText(queue_.Get(current_));
    page.SetDrawnSize(QSize(int(pageWidth_ * factor), int(pageHeight_ * factor)));
    window_.Bars().SetZoneText(2, PageText(current_, 1, total_));
    window_.Bars().SetZoneText(3, ZoomText(mode));
    lastAcross_ = lastDown_ = 0;
  }

  void SetEnabled(int control, bool on) {
    if (on)
      window_.Enable(control);
    else
      window_.Disable(control);
  }

  PageQueue &queue_;
  Window window_;
  int current_ = 1;
  int total_ = 0;
  int across_ = 1;
  int down_ = 1;
  int lastAcross_ = 0;
  int lastDown_ = 0;
  int perScreen_ = 0;
  std::array<int, kZoomModes> modes_{};
  int pageWidth_ = 0;
  int pageHeight_ = 0;
  double aspect_ = 0;
  bool single_ = false;
  bool printRequested_ = false;
};

} // namespace

void ReportPreview(PageQueue &queue) {
  ProcedureScope scope;
  Preview preview(queue);
  scope.response = preview.Run() ? 1 : 2;
}

} // namespace vx
