// Pixels of an X11 drawable (a window, a pixmap, or the whole screen) on the
// display that DISPLAY names, read into an Image.
#pragma once

#include <cstdint>

#include "core/Image.h"

namespace pexora {

// Reads drawable `xid`, or the root window of DISPLAY's default screen for 0,
// as opaque ARGB over one connection of its own, closed before it returns.
// It takes the pixels through the shared-memory extension where the server
// offers it to this client, and with a plain image request otherwise. Depths
// 15, 16, 24 and 32 of true-colour and direct-colour visuals are read.
//
// A window is read as the screen shows it, like a screenshot cut to the
// window's rectangle: parts under other windows show those windows (X servers
// keep no defined contents for covered parts), and parts outside the screen
// hold no pixels and come out transparent (0). Pixmaps and the root window
// are read whole.
//
// Throws StatusError: PX_ERROR_NOT_AVAILABLE when no X client library can be
// loaded, no display can be reached, or the drawable's pixel format is none
// of those above; PX_ERROR_LOADING when `xid` names no drawable, a window
// that is not viewable (unmapped, or an ancestor is), an input-only window,
// or a window that goes away or is hidden while it is read; PX_ERROR_NOT_ENOUGH_MEMORY above kMaxPixels.
Image CaptureDrawable(uint32_t xid);

}  // namespace pexora
