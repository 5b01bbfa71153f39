#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/application_window_win.h"
#include "netconfig/dns_cache_flush_win.h"

namespace quillcrest {
namespace {

struct Launch {
    HWND owner;
    std::string verb;
    std::string file;
    std::string parameters;
    bool directoryIsNull;
    int showCommand;
};

class DnsCacheFlushTest : public ::testing::Test {
  protected:
    ShellLauncher recorder(HINSTANCE answer) {
        return [this, answer](HWND owner, const char* verb, const char* file, const char* parameters,
                              const char* directory, int showCommand) {
            launches_.push_back({owner, verb, file, parameters, directory == nullptr, showCommand});
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
    EXPECT_TRUE(launch.directoryIsNull);
    EXPECT_EQ(launch.showCommand, SW_HIDE);
}

// The launch result is never examined and nothing is waited for: whatever the shell answers, the call
// has returned once the launcher has.
TEST_F(DnsCacheFlushTest, FailedLaunchGoesUnnoticed) {
    const HWND owner = nullptr;
    for (INT_PTR answer : {0, 2, 5, 33}) {
        SCOPED_TRACE(answer);
        EXPECT_NO_THROW(FlushDNSCache(owner, "C:\\windows\\system32", recorder(reinterpret_cast<HINSTANCE>(answer))));
    }
    EXPECT_EQ(launches_.size(), 4u);
    const ShellLauncher throwing = [](HWND, const char*, const char*, const char*, const char*, int) -> HINSTANCE {
        throw std::runtime_error("shell unavailable");
    };
    EXPECT_NO_THROW(FlushDNSCache(owner, "C:\\windows\\system32", throwing));
    EXPECT_NO_THROW(FlushDNSCache(throwing));
}

TEST_F(DnsCacheFlushTest, UnknownSystemFolderStartsNothing) {
    FlushDNSCache(nullptr, "", recorder(nullptr));
    EXPECT_TRUE(launches_.empty());
}

}  // namespace
}  // namespace quillcrest
