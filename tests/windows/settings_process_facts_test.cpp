#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "settings/process_facts_win.h"

namespace quillcrest {
namespace {

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TEST(SettingsProcessFactsTest, SysDirNamesAnExistingFolderWithoutTrailingSeparator) {
    const std::string folder = GetSysDir();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(IsFolder(folder)) << folder;
}

TEST(SettingsProcessFactsTest, ExeDirEndsWithSeparatorAndHoldsTheRunningProgram) {
    const std::string folder = GetExeDirUtf8();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_TRUE(IsFolder(folder)) << folder;
    const DWORD attributes = ::GetFileAttributesA((folder + "quillcrest_win_tests.exe").c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << folder;
}

TEST(SettingsProcessFactsTest, WineIsOfTheNtFamily) {
    EXPECT_TRUE(IsWinNT());
}

}  // namespace
}  // namespace quillcrest
