#pragma once

// The programs the Windows tests start (the real program, its probes): where the build puts them, how they are run
// and what they print, one "name=value" line per finding.

#include <windows.h>

#include <string>
#include <vector>

#include "base/win_handles_win.h"

namespace quillcrest::fakes {

constexpr DWORD kLongestHelperRunMs = 60000;

// The folder of the test binary, where the build also puts the program and the helpers; with its "\".
inline std::wstring FolderOfTestPrograms() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring whole(path, length);
    return whole.substr(0, whole.find_last_of(L'\\') + 1);
}

// Runs the command line (the program first) and answers all it printed; its exit code goes to exitCode.
inline std::string RunAndRead(std::wstring commandLine, DWORD& exitCode) {
    exitCode = 0xFFFFFFFF;  // no exit code at all, if the program never ran
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
        return "<no pipe>";
    UniqueKernelHandle reader(readEnd);
    UniqueKernelHandle writer(writeEnd);
    ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer.get();
    startup.hStdError = writer.get();
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
        return "<not started>";
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
    writer.reset();
    std::string output;
    char buffer[512];
    DWORD got = 0;
    while (::ReadFile(reader.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        output.append(buffer, got);
    ::WaitForSingleObject(process.get(), kLongestHelperRunMs);
    ::GetExitCodeProcess(process.get(), &exitCode);
    return output;
}

// The values of every "name=value" line of the output with this name, in order.
inline std::vector<std::string> ValuesOf(const std::string& output, const std::string& name) {
    std::vector<std::string> values;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, name.size() + 1, name + "=") == 0)
            values.push_back(line.substr(name.size() + 1));
        start = end + 1;
    }
    return values;
}

}  // namespace quillcrest::fakes
