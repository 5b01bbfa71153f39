#include "driver_processes.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/win_handles_win.h"

namespace quillcrest::driver {
namespace {

// How long an ended process may take to be gone.
constexpr DWORD kEndWaitMs = 10000;

unsigned long long StartedAt(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// The line pair that names a started process; flushed, because the run reads it while the driver still waits.
void PrintProcess(HANDLE process) {
    std::printf("pid=%lu\nstarted=%llu\n", static_cast<unsigned long>(::GetProcessId(process)), StartedAt(process));
    std::fflush(stdout);
}

// The file name of the program the process runs ("Quillcrest.exe"), empty when it cannot be read.
std::string ImageName(HANDLE process) {
    char path[MAX_PATH * 2] = {};
    DWORD size = sizeof(path);
    if (!::QueryFullProcessImageNameA(process, 0, path, &size))
        return {};
    const std::string full(path, size);
    const std::size_t separator = full.find_last_of("\\/");
    return separator == std::string::npos ? full : full.substr(separator + 1);
}

}  // namespace

int StartLimited(const char* exe) {
    UniqueKernelHandle own;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, own.put()))
        return 1;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    if (!::GetTokenInformation(own.get(), TokenLinkedToken, &linked, sizeof(linked), &size))
        return 1;
    const UniqueKernelHandle limitedToken(linked.LinkedToken);
    std::string commandLine = std::string("\"") + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessAsUserA(limitedToken.get(), exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &startup, &started))
        return 1;
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
    UniqueKernelHandle childToken;
    TOKEN_ELEVATION elevation{};
    if (::OpenProcessToken(process.get(), TOKEN_QUERY, childToken.put()))
        ::GetTokenInformation(childToken.get(), TokenElevation, &elevation, sizeof(elevation), &size);
    PrintProcess(process.get());
    std::printf("elevated=%lu\n", static_cast<unsigned long>(elevation.TokenIsElevated));
    return 0;
}

int RunAs(const char* exe, const char* parameters, unsigned long timeoutMs) {
    SHELLEXECUTEINFOA run{};
    run.cbSize = sizeof(run);
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    run.lpVerb = "runas";
    run.lpFile = exe;
    run.lpParameters = parameters;
    run.nShow = SW_HIDE;
    if (!::ShellExecuteExA(&run) || !run.hProcess)
        return 1;
    const UniqueKernelHandle process(run.hProcess);
    PrintProcess(process.get());
    DWORD exitCode = 0;
    if (::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process.get(), &exitCode))
        return 1;
    std::printf("exit=%lu\n", static_cast<unsigned long>(exitCode));
    return 0;
}

int PrintProcessStart(unsigned long processId, const char* imageName) {
    const UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
    if (!process || ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0 ||
        lstrcmpiA(ImageName(process.get()).c_str(), imageName) != 0)
        return 1;
    std::printf("started=%llu\n", StartedAt(process.get()));
    return 0;
}

int EndProcess(unsigned long processId, const char* started) {
    const UniqueKernelHandle process(
        ::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
    if (!process)
        return ::GetLastError() == ERROR_INVALID_PARAMETER ? 0 : 1;  // the invalid id: nothing runs under it
    // Another process under the same id: the one the run started has ended.
    if (StartedAt(process.get()) != std::strtoull(started, nullptr, 10))
        return 0;
    if (::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0)
        return 0;
    ::TerminateProcess(process.get(), 1);
    return ::WaitForSingleObject(process.get(), kEndWaitMs) == WAIT_OBJECT_0 ? 0 : 1;
}

}  // namespace quillcrest::driver
