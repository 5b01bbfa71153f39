#pragma once

#include <windows.h>

#include "base/win_handles_win.h"

namespace quillcrest {

// The program's windows use Tahoma at height -11 unless a window says otherwise.
inline constexpr char kUiFontFace[] = "Tahoma";
inline constexpr int kUiFontHeight = -11;

UniqueGdiObject CreateUiFont(int height = kUiFontHeight, int weight = FW_NORMAL, const char* face = kUiFontFace);

}  // namespace quillcrest
