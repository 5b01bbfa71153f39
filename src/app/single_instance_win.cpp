#include "app/single_instance_win.h"

#include "app/app_title.h"
#include "settings/process_facts_win.h"

namespace quillcrest {
namespace {
constexpr int kWindowTextBufferSize = 256;
}

std::string DefaultAppTitleOfProcess() {
    std::string path = GetExePathAnsi();
    ::OemToCharBuffA(path.c_str(), path.data(), static_cast<DWORD>(path.size()));
    return DefaultAppTitle(path, [](char* text, size_t length) { ::CharLowerBuffA(text, static_cast<DWORD>(length)); });
}

InstanceMutex::InstanceMutex(const std::string& name) {
    ::SetLastError(0);
    mutex_.reset(::CreateMutexA(nullptr, TRUE, name.c_str()));
    firstCopy_ = mutex_ && ::GetLastError() == 0;
}

void ActivateFirstCopy(HWND applicationWindow) {
    char className[kWindowTextBufferSize] = {};
    char caption[kWindowTextBufferSize] = {};
    ::GetClassNameA(applicationWindow, className, kWindowTextBufferSize);
    ::GetWindowTextA(applicationWindow, caption, kWindowTextBufferSize);

    HWND first = ::FindWindowA(className, caption);
    if (!first)
        return;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(first, &owner);
    if (owner != ::GetCurrentProcessId())
        return;
    HWND other = ::FindWindowExA(nullptr, first, className, caption);
    if (!other)
        return;
    if (::IsIconic(other)) {
        ::ShowWindow(other, SW_RESTORE);
        return;
    }
    HWND popup = ::GetLastActivePopup(other);
    if (popup && popup != other && ::IsWindowVisible(popup) && ::IsWindowEnabled(popup))
        ::BringWindowToTop(popup);
}

}  // namespace quillcrest
