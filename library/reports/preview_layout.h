#pragma once

#include <QRect>
#include <QString>
#include <vector>

namespace vx {

// The arithmetic of the report preview, apart from its window. Sizes are in the window's
// dialog units. Every function is total: sizes of 0 or below and an aspect of 0 give cells of
// at least one unit, never a division by zero.

// The zoom modes in the order of the Zoom menu's check items and of the zoom popup.
enum class ZoomMode { NoZoom = 1, PageWidth, Percent50, Percent75, Percent100, Percent200, Percent300 };
constexpr int kZoomModes = 7;

// The thumbnail cells of an across × down grid in a client area of `window`, row by row:
// cells of the page's proportions (height ÷ width = `aspect`), 3 units apart, from (1, 1).
std::vector<QRect> ThumbnailCells(QSize window, int across, int down, double aspect);

// The page text of status zone 2: "Page c of t", or with more than one thumbnail a screen
// "Pages c-l of t" (l the last page shown).
QString PageText(int current, int perScreen, int total);

// The zoomed page's scale, status text ("Zoom (50%)", ...) and whether it scrolls across.
double ZoomFactor(ZoomMode mode, int windowWidth, int pageWidth);
QString ZoomText(ZoomMode mode);
bool ZoomScrollsAcross(ZoomMode mode);

// The zoom popup's menu text with the current mode's entry checked.
QString ZoomPopupText(ZoomMode current);

// The first page shown after Previous and Next: by a screen of thumbnails, or by one page
// when zoomed (`perScreen` 0); never before page 1 or past the last.
int PreviousPage(int current, int perScreen);
int NextPage(int current, int perScreen, int total);

} // namespace vx
