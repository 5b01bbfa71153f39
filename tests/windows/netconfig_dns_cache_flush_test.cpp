#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "netconfig/dns_cache_flush_win.h"
#include "widgets/application_window_win.h"

namespace quillcrest {
namespace {

struct Launch {
    HWND owner;
    std::string verb;
    std::string file;
    std::string parameters;
    std::string directory;  // "<none>" when none was given
    int showCommand;
};

class DnsCacheFlushTest : public ::testing::Test {
  protected:
    ShellLauncher recorder(HINSTANCE answer) {
        return [this, answer](HWND owner, const char* verb, const char* file, const char* parameters,
                              const char* directory, int showCommand) {
            launches_.push_back({owner, verb, file, parameters, directory ? directory : "<none>", showCommand});
            return answer;
        };
    }

    static std::string SystemFolder() {
        char folder[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
        return std::string(folder, length);
    }

    std::vector<Launch> launches_;
};

TEST_F(DnsCacheFlushTest, StartsHiddenInterpreterFromSystemFolderOwnedByApplicationWindow) {
    const HWND previous = ApplicationWindow();
    const HWND owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    SetApplicationWindow(owner);
    FlushDNSCache(recorder(reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33))));
    SetApplicationWindow(previous);

    ASSERT_EQ(launches_.size(), 1u);
    const Launch& launch = launches_[0];
    EXPECT_EQ(launch.owner, owner);
    EXPECT_EQ(launch.verb, "Open");
    ASSERT_FALSE(SystemFolder().empty());
    EXPECT_EQ(launch.file, SystemFolder() + "\\cmd.exe");
    EXPECT_EQ(launch.parameters, " /C ipconfig /flushdns");
    // cmd looks for "ipconfig" in its working directory before the system folder: it must start in the latter.
    EXPECT_EQ(launch.directory, SystemFolder());
    EXPECT_EQ(launch.showCommand, SW_HIDE);
}

// The launch result is never examined: a refused launch is neither retried nor followed by another way to
// flush, and the next flush launches again as if nothing had happened.
TEST_F(DnsCacheFlushTest, RefusedLaunchIsNeitherRetriedNorRemembered) {
    for (INT_PTR answer : {0, 2, 5, 33}) {
        SCOPED_TRACE(answer);
        launches_.clear();
        FlushDNSCache(nullptr, "C:\\windows\\system32", recorder(reinterpret_cast<HINSTANCE>(answer)));
        FlushDNSCache(nullptr, "C:\\windows\\system32", recorder(reinterpret_cast<HINSTANCE>(33)));
        ASSERT_EQ(launches_.size(), 2u);
        EXPECT_EQ(launches_[1].file, "C:\\windows\\system32\\cmd.exe");
    }
}

TEST_F(DnsCacheFlushTest, UnknownSystemFolderStartsNothing) {
    FlushDNSCache(nullptr, "", recorder(nullptr));
    EXPECT_TRUE(launches_.empty());
}

// A folder of its own made the process's current directory, with an "ipconfig.bat" in it that leaves a mark when
// it runs; both go again afterwards.
class PlantedIpconfigTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathW(MAX_PATH + 1, temp), 0u);
        folder_ = std::wstring(temp) + L"quillcrest-flush-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        mark_ = folder_ + L"\\planted-ran.txt";
        const std::wstring script = folder_ + L"\\ipconfig.bat";
        // The mark goes beside the script, wherever cmd's working directory is.
        const std::string text = "@echo planted> \"%~dp0planted-ran.txt\"\r\n";
        const UniqueFile file(
            ::CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
        wchar_t current[MAX_PATH + 1] = {};
        ::GetCurrentDirectoryW(MAX_PATH + 1, current);
        previousDirectory_ = current;
        ASSERT_TRUE(::SetCurrentDirectoryW(folder_.c_str()));
    }
    void TearDown() override {
        ::SetCurrentDirectoryW(previousDirectory_.c_str());
        ::DeleteFileW(mark_.c_str());
        ::DeleteFileW((folder_ + L"\\ipconfig.bat").c_str());
        ::RemoveDirectoryW(folder_.c_str());
    }

    bool PlantedScriptRan() const { return ::GetFileAttributesW(mark_.c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::wstring folder_;
    std::wstring mark_;
    std::wstring previousDirectory_;
};

constexpr DWORD kLongestFlushMs = 60000;

// The shell launch the flush asks for, made for real, and waited for so that its effects can be looked at.
HINSTANCE LaunchAndWait(HWND owner,
                        const char* verb,
                        const char* file,
                        const char* parameters,
                        const char* directory,
                        int showCommand) {
    SHELLEXECUTEINFOA run{};
    run.cbSize = sizeof(run);
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    run.hwnd = owner;
    run.lpVerb = verb;
    run.lpFile = file;
    run.lpParameters = parameters;
    run.lpDirectory = directory;
    run.nShow = showCommand;
    if (!::ShellExecuteExA(&run))
        return nullptr;
    const UniqueKernelHandle process(run.hProcess);
    if (process)
        ::WaitForSingleObject(process.get(), kLongestFlushMs);
    return run.hInstApp;
}

// An elevated copy started from its install folder inherits that folder as working directory; a script planted
// there must not run in place of the system's ipconfig.
TEST_F(PlantedIpconfigTest, ScriptInTheCurrentDirectoryIsNotRun) {
    INT_PTR answer = 0;
    FlushDNSCache([&answer](HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int showCommand) {
        const HINSTANCE result = LaunchAndWait(owner, verb, file, parameters, directory, showCommand);
        answer = reinterpret_cast<INT_PTR>(result);
        return result;
    });
    ASSERT_GT(answer, 32) << "the interpreter did not start at all";
    EXPECT_FALSE(PlantedScriptRan()) << "cmd ran the ipconfig.bat of the current directory";
}

}  // namespace
}  // namespace quillcrest
