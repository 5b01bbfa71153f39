#pragma once

#include <windows.h>

namespace quillcrest::driver {

// Makes the driver see every window in the pixels it really has, whatever the display's density: a driver the
// system took for unaware of densities would be shown every rectangle scaled back to 96 dpi.
void BecomeDpiAware();

// Prints the system's density and which of the density functions of Windows 10 the system has, one "name=1|0"
// line each.
int PrintDpiFacts();

// Prints the window's client size and the system's density, then one line per control:
// id|class|visible|x,y,width,height|ideal-width|ideal-height|text
// with the rectangle in the window's client coordinates and, for buttons, check boxes, radio buttons and frames,
// the size the control itself says its text and glyph need (BCM_GETIDEALSIZE, measured in the program's process
// with the control's own font; -1 for other controls and when it cannot be asked). A font belongs to the process
// that made it, so the driver cannot measure with it itself.
int PrintControlGeometry(HWND window);

}  // namespace quillcrest::driver
