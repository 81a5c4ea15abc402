#pragma once

namespace keyrelay::e2e {

// Asks a top-level window to close as a window manager's close button does: the
// WM_DELETE_WINDOW message. False when the display cannot be opened.
bool askToClose(unsigned long window);

}  // namespace keyrelay::e2e
