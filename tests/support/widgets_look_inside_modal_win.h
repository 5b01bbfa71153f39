#pragma once

// Looks at a modal window from inside its own message loop, as the user would see it: the call that shows it
// returns only when it is answered, so the test's look runs on a thread timer that the loop dispatches.

#include <windows.h>

#include <functional>
#include <utility>

namespace quillcrest::fakes {

inline std::function<bool()>& LookReady() {
    static std::function<bool()> ready;
    return ready;
}

inline std::function<void()>& Look() {
    static std::function<void()> look;
    return look;
}

inline void CALLBACK LookWhenReady(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!LookReady()())
        return;
    ::KillTimer(nullptr, timer);
    Look()();
}

// Runs `look` once from inside the modal loop that opens next, as soon as `ready` finds it on screen.
inline void LookInside(std::function<bool()> ready, std::function<void()> look) {
    LookReady() = std::move(ready);
    Look() = std::move(look);
    ::SetTimer(nullptr, 0, 20, &LookWhenReady);
}

}  // namespace quillcrest::fakes
