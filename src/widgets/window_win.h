#pragma once

#include <windows.h>

#include <exception>
#include <functional>

namespace quillcrest {

// Shows a failure that escaped an event handler. The application installs the general error report here; no
// exception may cross into the system's window procedure.
using ExceptionReporter = std::function<void(const std::exception&)>;
void SetExceptionReporter(ExceptionReporter reporter);
void ReportException(const std::exception& error);
// Runs one event handler, reporting what escapes it.
void RunHandler(const std::function<void()>& handler);

// Creates a child control (WS_CHILD is added); raises when the system refuses.
HWND CreateControl(HWND parent,
                   const char* className,
                   const char* text,
                   DWORD style,
                   int id,
                   RECT bounds,
                   DWORD exStyle = 0);

// One window, one object: the static procedure finds the object through GWLP_USERDATA (stored at WM_NCCREATE)
// and forwards every message to HandleMessage.
class Window {
  public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }

  protected:
    // Registers the class on first use and creates the window with this object attached; raises when the system
    // refuses either.
    void Create(const char* className,
                const char* caption,
                DWORD style,
                DWORD exStyle,
                int x,
                int y,
                int width,
                int height,
                HWND parent,
                HICON icon = nullptr);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
    // The window now is on a display of another density (WM_DPICHANGED), and already has the rectangle the
    // system suggested for it there: fonts, controls and pictures follow here.
    virtual void OnDpiChanged(int dpi) {}

  private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

}  // namespace quillcrest
