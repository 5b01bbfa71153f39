#pragma once

#include <windows.h>

#include <vector>

namespace quillcrest {

// Disables every visible, enabled top-level window of the thread but `keep` for as long as it lives, and enables
// them again on every way out, an exception included: what a modal window or box does to the rest of the program.
class TaskWindowsDisabled {
  public:
    explicit TaskWindowsDisabled(HWND keep);
    ~TaskWindowsDisabled();
    TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
    TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;

  private:
    static BOOL CALLBACK DisableOne(HWND hwnd, LPARAM param);

    HWND keep_;
    std::vector<HWND> windows_;
};

}  // namespace quillcrest
