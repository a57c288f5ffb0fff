// Pictures stored packed in the program's resources (see res/pack-bitmap.py):
// unpacked at run time into a DIB section, as LoadImageA with
// LR_CREATEDIBSECTION would give for the same picture stored as a bitmap.
#pragma once

#include <windows.h>

#include <string_view>

#include "system/UniqueHandle.h"

namespace tidemark {

// The picture of a packed resource, as a bottom-up DIB section. Null when the
// bytes are no packed picture, their stream is damaged or unpacks to any
// other size than its header says, or the system cannot unpack it.
UniqueBitmap UnpackBitmap(std::string_view packed);

// The picture of the RCDATA resource of that name in the module; null when
// the module has no such resource or it cannot be unpacked.
UniqueBitmap LoadPackedBitmap(HMODULE module, const char* name);

}  // namespace tidemark
