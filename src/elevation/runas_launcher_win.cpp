#include "elevation/runas_launcher_win.h"

#include <shellapi.h>

#include "base/exception.h"
#include "base/message_dispatching_wait_win.h"
#include "base/system_message_win.h"
#include "base/utf8_text_win.h"
#include "base/win_handles_win.h"
#include "settings/process_facts_win.h"
#include "widgets/disabled_window_win.h"

namespace quillcrest {
namespace {

[[noreturn]] void RaiseSystemError(DWORD code) {
    const std::string text = SystemMessageText(code);
    throw Exception(text.empty() ? "Error " + std::to_string(code) : text);
}

}  // namespace

std::uint32_t RunasLauncher::RunElevated(const std::string& arguments) {
    // Wide, so that a path with characters outside the ANSI code page names this very file, and the command line
    // the consent prompt shows is the one the elevated copy reads.
    const std::wstring program = WideFromUtf8(program_.empty() ? GetExePathUtf8() : program_);
    if (program.empty())
        RaiseSystemError(::GetLastError());
    const std::wstring parameters = WideFromUtf8(arguments);
    HWND owner = owner_ ? owner_() : nullptr;

    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof(run);
    // No error box of the shell's own: the caller reports the failure once, in its words.
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    run.hwnd = owner;
    run.lpVerb = L"runas";
    run.lpFile = program.c_str();
    run.lpParameters = parameters.c_str();
    run.nShow = SW_HIDE;
    // The consent prompt waits inside this call; the window takes no input until the run has ended.
    const DisabledWindow disabled(owner);
    if (!::ShellExecuteExW(&run)) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_CANCELLED)
            throw EElevationDeclined();
        RaiseSystemError(code);
    }
    const UniqueKernelHandle process(run.hProcess);
    if (!process)
        throw Exception("The change with administrator rights did not start");
    if (!WaitDispatchingMessages(process.get(), kLongestRun, QuitDuringWait::KeepWaitingForTheEvent))
        throw Exception("The change with administrator rights did not finish in time");
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(process.get(), &exitCode))
        RaiseSystemError(::GetLastError());
    return exitCode;
}

}  // namespace quillcrest
