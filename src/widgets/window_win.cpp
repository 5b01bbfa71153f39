#include "widgets/window_win.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "base/exception.h"
#include "base/system_message_win.h"
#include "widgets/dpi_win.h"

namespace quillcrest {
namespace {

ExceptionReporter& Reporter() {
    static ExceptionReporter reporter;
    return reporter;
}

}  // namespace

void SetExceptionReporter(ExceptionReporter reporter) {
    Reporter() = std::move(reporter);
}

void ReportException(const std::exception& error) {
    if (Reporter())
        Reporter()(error);
}

void RunHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ReportException(error);
    } catch (...) {
        ReportException(std::runtime_error("Unknown error"));
    }
}

Window::~Window() {
    if (hwnd_) {
        ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

void Window::Create(const char* className,
                    const char* caption,
                    DWORD style,
                    DWORD exStyle,
                    int x,
                    int y,
                    int width,
                    int height,
                    HWND parent,
                    HICON icon) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (!::GetClassInfoExA(instance, className, &existing)) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &Window::StaticProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        wc.hIcon = icon;
        wc.hIconSm = icon;
        if (!::RegisterClassExA(&wc))
            throw Exception(std::string("Cannot register the window class ") + className + ": " +
                            SystemMessageText(::GetLastError()));
    }
    if (!::CreateWindowExA(exStyle, className, caption, style, x, y, width, height, parent, nullptr, instance, this))
        throw Exception(std::string("Cannot create the window ") + className + ": " +
                        SystemMessageText(::GetLastError()));
}

HWND CreateControl(HWND parent, const char* className, const char* text, DWORD style, int id, RECT bounds,
                   DWORD exStyle) {
    HWND control = ::CreateWindowExA(exStyle, className, text, WS_CHILD | style, bounds.left, bounds.top,
                                     bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                     nullptr);
    if (!control)
        throw Exception(std::string("Cannot create the control ") + className + ": " +
                        SystemMessageText(::GetLastError()));
    return control;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultHandling(message, wParam, lParam);
}

LRESULT Window::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<Window*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        EnableNonClientScaling(hwnd);
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    try {
        if (message == kDpiChangedMessage) {
            // The suggested rectangle keeps the window's place under the mouse and its size in the new density.
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                           suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            self->OnDpiChanged(HIWORD(wParam));
            return 0;
        }
        result = self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        ReportException(error);
    } catch (...) {
        ReportException(std::runtime_error("Unknown error"));
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace quillcrest
