#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "widgets/application_window_win.h"
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

}  // namespace
}  // namespace quillcrest
