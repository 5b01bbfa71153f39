#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "startup/run_entry.h"

namespace quillcrest {
namespace {

struct RunEntryCase {
    const char* name;
    std::string exePath;
    std::string written;  // what ticking the box stores for exePath
};

class RunEntryWriteTest : public testing::TestWithParam<RunEntryCase> {};

TEST_P(RunEntryWriteTest, QuotesPathsWithBlanksAndRecognisesWhatItWrote) {
    const RunEntryCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(RunEntryFor(row.exePath), row.written);
    EXPECT_TRUE(RunEntryNames(row.written, row.exePath));
}

INSTANTIATE_TEST_SUITE_P(Table,
                         RunEntryWriteTest,
                         testing::ValuesIn(std::vector<RunEntryCase>{
                             {"path_without_blanks_stays_bare", "C:\\Tools\\Quillcrest.exe",
                              "C:\\Tools\\Quillcrest.exe"},
                             {"program_files_path_is_quoted", "C:\\Program Files\\Quillcrest\\Quillcrest.exe",
                              "\"C:\\Program Files\\Quillcrest\\Quillcrest.exe\""},
                             {"long_path_is_kept_whole", "C:\\" + std::string(300, 'a') + "\\Quillcrest.exe",
                              "C:\\" + std::string(300, 'a') + "\\Quillcrest.exe"},
                         }),
                         [](const auto& info) { return std::string(info.param.name); });

struct RunEntryReadCase {
    const char* name;
    std::string stored;
    bool namesProgram;
};

class RunEntryReadTest : public testing::TestWithParam<RunEntryReadCase> {};

constexpr char kProgram[] = "C:\\Program Files\\Quillcrest\\Quillcrest.exe";

TEST_P(RunEntryReadTest, TicksTheBoxOnlyForThisProgram) {
    const RunEntryReadCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(RunEntryNames(row.stored, kProgram), row.namesProgram);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         RunEntryReadTest,
                         testing::ValuesIn(std::vector<RunEntryReadCase>{
                             {"bare_path_as_older_versions_wrote_it", kProgram, true},
                             {"quoted_path", std::string("\"") + kProgram + "\"", true},
                             {"other_letter_case", "c:\\PROGRAM FILES\\quillcrest\\QUILLCREST.EXE", true},
                             {"older_copy_elsewhere", "C:\\Old\\Quillcrest.exe", false},
                             {"path_with_an_argument", std::string("\"") + kProgram + "\" /min", false},
                             {"only_an_opening_quote", std::string("\"") + kProgram, false},
                             {"trailing_blank_differs", std::string(kProgram) + " ", false},
                             {"empty_value", "", false},
                             {"two_quotes_only", "\"\"", false},
                         }),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunEntryNamesTest, UnknownExecutablePathMatchesNothing) {
    EXPECT_FALSE(RunEntryNames("", ""));
    EXPECT_FALSE(RunEntryNames("\"\"", ""));
}

}  // namespace
}  // namespace quillcrest
