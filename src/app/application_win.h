#pragma once

#include <windows.h>

#include <string>

#include "widgets/window_win.h"

namespace quillcrest {

// The application object: its own hidden top-level window (whose caption is the default title until the main
// window takes over the taskbar), the application title and the message loop.
class Application : public Window {
  public:
    explicit Application(const std::string& defaultTitle);
    ~Application() override;

    // The main window stands for the program on the taskbar from now on; the application window's caption
    // becomes empty, which also hides this process from a second copy's search.
    void PutMainWindowOnTaskbar();
    void SetTitle(const std::string& title) { title_ = title; }
    const std::string& title() const { return title_; }

    // Runs until a quit request; dispatches to dialogs' own loops through IsDialogMessage.
    void Run();
    // Ends the message loop when it next takes the request; what runs now goes on.
    static void Terminate();

  private:
    std::string title_;
};

}  // namespace quillcrest
