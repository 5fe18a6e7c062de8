#pragma once

namespace vx {

class PageQueue;

// ReportPreview: the window "Report Preview" over the pages of a report's page queue, modal
// on the report's thread, opening on most of the screen, centred over the frame as far as
// the screen allows. It shows the pages as a grid of thumbnails (1 × 1 to 10 × 10, the
// first page shown set by the Page spin) or one page zoomed (to the page's width, or 50% to
// 300% of its true size); the user pages through them, jumps to a page, changes the grid,
// and leaves by Print or Exit. A click on a thumbnail zooms that page to the page's width; a
// click on the zoomed page goes back to the thumbnails. The status bar shows the pages shown
// ("Pages 1-4 of 10") and the zoom. Leaves 1 in GlobalResponse when the user chose Print,
// else 2.
void ReportPreview(PageQueue &queue);

// The preview's control numbers; thumbnail k (from 1) is the box kThumbnailBox + k - 1 and
// the page image kThumbnailImage + k - 1 over it.
enum ReportPreviewControl : int {
  kPreviewFileMenu = 1,
  kPreviewPrint,
  kPreviewExit,
  kPreviewViewMenu,
  kPreviewNext,
  kPreviewPrevious,
  kPreviewJump,
  kPreviewChangeDisplay,
  kPreviewZoomMenu,
  kPreviewNoZoom, // the seven Zoom check items, 10 to 16
  kPreviewPrintButton = 17,
  kPreviewExitButton,
  kPreviewZoomButton,
  kPreviewPageSpin,
  kPreviewAcrossSpin,
  kPreviewDownSpin,
  kPreviewPagePrompt,
  kPreviewAcrossPrompt,
  kPreviewDownPrompt,
  kPreviewMeasure = 100,
  kPreviewZoomedPage = 102,
  kThumbnailBox = 104,
  kThumbnailImage = 204,
};

} // namespace vx
