#pragma once
#include "platform/DisplaySurface.h"

#include <string>

namespace Quib {

// The symbolic name of a display, 3-D device or sound result code
// ("DDERR_SURFACELOST", "D3DERR_TEXTURE_CREATE_FAILED", "DSERR_BUFFERLOST",
// ...); a code without a name as lower-case hexadecimal without prefix.
std::string HResultToName(HRESULT result);

} // namespace Quib
