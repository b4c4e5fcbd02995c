// The 3D side of the display: the choice of a 3D device and driver, and the 3D objects made on
// the back surface. Only a display option that the game never sets asks for them, and no
// display driver here offers hardware 3D, so both report that no device exists.
#pragma once

#include "game/dx/DXDraws.h"

namespace zarn {

inline constexpr const char* S3DDeviceNotFound = "3D device not found";

// The display's 3D options as a request: hardware, retained mode, driver selection, z-buffer,
// RGB, mono, dither.
TDXDrawOptions DX3DRequest(const TCustomDXDraw& draw);

// Chooses a 3D device and driver for full screen: looks through the display drivers for one
// with hardware 3D. Throws EDXDrawError "3D device not found" when none has it.
void DXChoose3DDevice(TCustomDXDraw& draw);

// Makes the 3D objects on the display's back surface. Throws EDXDrawError "3D device not found"
// when the back surface's device offers no 3D (so the display's initialisation fails cleanly).
void DXMake3DObjects(TCustomDXDraw& draw);

}  // namespace zarn
