#include "app/application_win.h"

#include "widgets/application_window_win.h"

namespace quillcrest {
namespace {
constexpr char kApplicationClass[] = "TApplication";
}

Application::Application(const std::string& defaultTitle) : title_(defaultTitle) {
    // Off-screen and never shown: it exists to own the program's top-level windows and to carry the title.
    Create(kApplicationClass, defaultTitle.c_str(), WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU, 0, 0, 0, 0, 0,
           nullptr);
    SetApplicationWindow(hwnd());
}

Application::~Application() {
    SetApplicationWindow(nullptr);
}

void Application::PutMainWindowOnTaskbar() {
    ::SetWindowTextA(hwnd(), "");
}

void Application::Run() {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root && ::IsDialogMessageA(root, &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

void Application::Terminate() {
    ::PostQuitMessage(0);
}

}  // namespace quillcrest
