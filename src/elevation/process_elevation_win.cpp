#include "elevation/process_elevation_win.h"

#include <windows.h>

#include "base/win_handles_win.h"

namespace quillcrest {

bool SystemProcessElevation::IsElevated() {
    if (elevated_)
        return *elevated_;
    HANDLE opened = nullptr;
    bool elevated = true;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) {
        const UniqueKernelHandle token(opened);
        TOKEN_ELEVATION elevation{};
        DWORD size = 0;
        if (::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size))
            elevated = elevation.TokenIsElevated != 0;
    }
    elevated_ = elevated;
    return elevated;
}

}  // namespace quillcrest
