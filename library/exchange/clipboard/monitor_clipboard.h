#pragma once

namespace vx {

// The controls of the window that others drive.
enum MonitorClipboardControl : int { kMonitorStatus = 4, kMonitorExit = 5 };

// MonitorClipboard: the window "Monitor Clipboard", started from File > Clipboard Monitor
// on a thread of its own. While it is open it looks every 250 ms whether the clipboard
// changed, takes the first 2000 characters of its text when it did, and scans each new
// text for web addresses, which it adds to the library as sites
// (ScanClipboardText); its status line names the last site added. A text on the clipboard
// when the window opens is scanned only when the user answers No to "Ignore current
// clipboard contents?". The same text is never scanned twice in a row. Exit closes the
// window, which keeps its place under section MonitorClipboard of VORNIX.INI. The site
// file and Categories are taken through their use counts while the window is open.
void MonitorClipboard();

} // namespace vx
