#pragma once

// What the Windows tests of the elevated run need around it: an owner window that keeps ticking while the run is
// waited for, and a user who answers the run's own confirmation window from another thread.

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace quillcrest::fakes {

// A plain top-level window that counts its timer ticks and notes whether it could take input at each.
class TickingWindow {
  public:
    static constexpr UINT_PTR kTickTimer = 1;
    static constexpr UINT kTickMs = 10;

    TickingWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &TickingWindow::Procedure;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "QcRunasOwner";
        ::RegisterClassA(&windowClass);
        window_ = ::CreateWindowExA(0, "QcRunasOwner", "Owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetTimer(window_, kTickTimer, kTickMs, nullptr);
    }
    ~TickingWindow() { ::DestroyWindow(window_); }
    TickingWindow(const TickingWindow&) = delete;
    TickingWindow& operator=(const TickingWindow&) = delete;

    HWND hwnd() const { return window_; }
    int ticks = 0;
    int ticksWhileEnabled = 0;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TickingWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == WM_TIMER) {
            ++self->ticks;
            if (::IsWindowEnabled(window))
                ++self->ticksWhileEnabled;
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
};

// Answers the elevated run's confirmation window of the caption from another thread, as the user would: waits for
// it, reads its text the way assistive tools do (WM_GETTEXT across processes) and presses a button. Notes whether
// any window of that caption came up at all.
class ConfirmationAnswerer {
  public:
    static constexpr DWORD kPollMs = 20;
    static constexpr int kMessageTextId = 0xFFFF;

    ConfirmationAnswerer(const char* caption, int button)
        : caption_(caption), button_(button), thread_([this] { Answer(); }) {}
    ~ConfirmationAnswerer() {
        stop_ = true;
        thread_.join();
    }
    ConfirmationAnswerer(const ConfirmationAnswerer&) = delete;
    ConfirmationAnswerer& operator=(const ConfirmationAnswerer&) = delete;

    // Valid once the run whose window it answers has ended.
    bool sawWindow() const { return sawWindow_; }
    std::string text() const { return text_; }

  private:
    void Answer() {
        while (!stop_) {
            HWND box = ::FindWindowA("#32770", caption_.c_str());
            if (box && ::IsWindowVisible(box)) {
                HWND message = ::GetDlgItem(box, kMessageTextId);
                char buffer[8192] = {};
                DWORD_PTR copied = 0;
                ::SendMessageTimeoutA(message, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer),
                                      SMTO_ABORTIFHUNG, 5000, &copied);
                text_.assign(buffer, copied);
                sawWindow_ = true;
                ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(box, button_)));
                return;
            }
            ::Sleep(kPollMs);
        }
    }

    std::string caption_;
    int button_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> sawWindow_{false};
    std::string text_;
    std::thread thread_;
};

}  // namespace quillcrest::fakes
