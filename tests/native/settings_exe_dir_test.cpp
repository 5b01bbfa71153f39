#include <gtest/gtest.h>

#include <string>

#include "settings/exe_dir.h"

namespace quillcrest {
namespace {

struct ExeDirCase {
    std::string path;
    std::string folder;
};

class SettingsExeDirOfTest : public ::testing::TestWithParam<ExeDirCase> {};

TEST_P(SettingsExeDirOfTest, KeepsTextUpToTheLastSeparator) {
    const ExeDirCase& c = GetParam();
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ExeDirOf(c.path), c.folder);
}

const ExeDirCase kExeDirCases[] = {
    {"C:\\Apps\\ABC.EXE", "C:\\Apps\\"},
    {"C:ABC.EXE", "C:"},
    {"C:\\ABC.EXE", "C:\\"},
    {"\\\\server\\share\\dir\\a.exe", "\\\\server\\share\\dir\\"},
    {"C:\\odd:name\\a.exe", "C:\\odd:name\\"},  // the later of the two wins
    {"C:\\dir\\stream:a.exe", "C:\\dir\\stream:"},
    {"ABC.EXE", ""},
    {"", ""},
};

INSTANTIATE_TEST_SUITE_P(Paths, SettingsExeDirOfTest, ::testing::ValuesIn(kExeDirCases));

}  // namespace
}  // namespace quillcrest
