#pragma once

namespace vx {

class Window;

// ShowRejected: how every window of the library answers a control whose entry was refused:
// the warning sound, the control shown again with its current contents, and the focus put
// back on it so the entry can be corrected. The window is borrowed for the call.
void ShowRejected(Window &window, int control);

} // namespace vx
