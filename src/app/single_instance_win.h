#pragma once

#include <windows.h>

#include <string>

#include "base/win_handles_win.h"

namespace quillcrest {

// The default application title of the running executable: its path through OemToCharA and CharLowerBuffA.
std::string DefaultAppTitleOfProcess();

// Holds the per-logon instance mutex, owned, for the life of the process.
class InstanceMutex {
  public:
    explicit InstanceMutex(const std::string& name);
    // True only when this process created the mutex; a failure to create it counts as a second copy.
    bool IsFirstCopy() const { return firstCopy_; }

  private:
    UniqueKernelHandle mutex_;
    bool firstCopy_ = false;
};

// Run by a second copy: brings the first copy's window forward when it can be found by the class and caption of
// this copy's application window. The first copy empties that caption, so in practice nothing is found.
void ActivateFirstCopy(HWND applicationWindow);

}  // namespace quillcrest
