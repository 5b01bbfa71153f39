#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "elevation/action_launcher.h"

namespace quillcrest {

// Runs this executable with the verb "runas" (the consent prompt) and waits for it with the owner window
// disabled, dispatching messages meanwhile, so the window repaints and timers tick but takes no input.
class RunasLauncher : public ActionLauncher {
  public:
    // How long a run may take before the window stops waiting for it and reports so.
    static constexpr std::chrono::milliseconds kLongestRun{120000};

    // program: the executable to run in UTF-8, this process's own when empty (tests name the real program).
    explicit RunasLauncher(std::function<HWND()> owner, std::string program = "")
        : owner_(std::move(owner)), program_(std::move(program)) {}
    std::uint32_t RunElevated(const std::string& arguments) override;

  private:
    std::function<HWND()> owner_;
    std::string program_;
};

}  // namespace quillcrest
