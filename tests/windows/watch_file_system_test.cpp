#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "support/row_name.h"
#include "watch/allowed_list.h"
#include "watch/file_replacement.h"
#include "watch/file_system_win.h"
#include "watch/locale_text_equality_win.h"

namespace quillcrest {
namespace {

// A fresh folder of its own under the temporary folder, removed with its files afterwards.
class WatchFileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathA(sizeof temp, temp), 0u);
        folder_ = std::string(temp) + "quillcrest-watch-" + std::to_string(::GetCurrentProcessId()) + "\\";
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        target_ = folder_ + "AllowedDNS.txt";
    }
    void TearDown() override {
        ::DeleteFileA(target_.c_str());
        ::DeleteFileA(ReplacementFileName(target_).c_str());
        ::DeleteFileA(IncompleteReplacementFileName(target_).c_str());
        ::RemoveDirectoryA(folder_.c_str());
    }

    void WriteRaw(const std::string& path, const std::string& bytes) {
        UniqueFile file(
            ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }
    std::string ReadRaw(const std::string& path) {
        const auto text = files_.ReadWhole(path);
        return text ? *text : "<missing>";
    }
    bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    WinFileSystem files_;
    std::string folder_;
    std::string target_;
};

TEST_F(WatchFileSystemTest, ReadsWholeFilesAndTellsAMissingFileApart) {
    EXPECT_FALSE(files_.ReadWhole(target_));
    EXPECT_FALSE(files_.ReadWhole(folder_ + "no such folder\\AllowedDNS.txt"));
    const std::string bytes("a\r\nb\0c\r\n", 8);
    WriteRaw(target_, bytes);
    EXPECT_EQ(files_.ReadWhole(target_), bytes);
}

TEST_F(WatchFileSystemTest, ReplacementCreatesTheMissingTargetAndReplacesAnExistingOne) {
    ReplaceFileContents(files_, target_, "first\r\n");
    EXPECT_EQ(ReadRaw(target_), "first\r\n");
    ReplaceFileContents(files_, target_, "second\r\n");
    EXPECT_EQ(ReadRaw(target_), "second\r\n");
    EXPECT_FALSE(Exists(ReplacementFileName(target_)));
}

TEST_F(WatchFileSystemTest, TargetHeldOpenWithoutDeleteSharingKeepsTheOldFileAndRaisesAClearError) {
    WriteRaw(target_, "old\r\n");
    UniqueFile holder(::CreateFileA(target_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);

    try {
        ReplaceFileContents(files_, target_, "new\r\n");
        FAIL() << "no error raised";
    } catch (const EFileError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(target_), std::string::npos) << message;
        EXPECT_NE(message.find("Cannot replace"), std::string::npos) << message;
    }
    holder.reset();
    EXPECT_EQ(ReadRaw(target_), "old\r\n");
    EXPECT_FALSE(Exists(ReplacementFileName(target_)));
}

TEST_F(WatchFileSystemTest, AllowedListRoundTripsThroughTheRealFile) {
    WriteRaw(target_, "10.0.0.1\n\n10.0.0.2 \r10.0.0.3");
    AllowedList list(files_, folder_, EqualIgnoringCaseByUserLocale);
    list.Load();
    EXPECT_TRUE(list.Contains(""));
    EXPECT_FALSE(list.Contains("10.0.0.2"));
    list.AddDNSToGoodList("10.0.0.4");
    EXPECT_EQ(ReadRaw(target_), "10.0.0.1\r\n\r\n10.0.0.2 \r\n10.0.0.3\r\n10.0.0.4\r\n");
}

TEST_F(WatchFileSystemTest, UnreadableFileIsAnErrorNotAnEmptyFile) {
    WriteRaw(target_, "kept\r\n");
    UniqueFile holder(
        ::CreateFileA(target_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_THROW(files_.ReadWhole(target_), EFileError);

    AllowedList list(files_, folder_, EqualIgnoringCaseByUserLocale);
    EXPECT_THROW(list.Load(), EFileError);
    EXPECT_THROW(list.AddDNSToGoodList("new"), EFileError);
    holder.reset();
    EXPECT_EQ(ReadRaw(target_), "kept\r\n");
    list.AddDNSToGoodList("newer");
    EXPECT_EQ(ReadRaw(target_), "kept\r\nnew\r\nnewer\r\n");
}

// A first save that a power loss left behind as AllowedDNS.txt.new alone, as the next start finds it.
struct LeftoverCase {
    const char* name;
    std::string replacement;
    std::vector<std::string> entries;
    bool rolledForward;  // otherwise kept aside under AllowedDNS.txt.incomplete
};

void PrintTo(const LeftoverCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchFileSystemLeftoverTest : public WatchFileSystemTest, public ::testing::WithParamInterface<LeftoverCase> {};

TEST_P(WatchFileSystemLeftoverTest, LoneNewFileTakesThePlaceOnlyWhenWhole) {
    const LeftoverCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const std::string replacement = ReplacementFileName(target_);
    const std::string aside = IncompleteReplacementFileName(target_);
    WriteRaw(replacement, row.replacement);
    AllowedList list(files_, folder_, EqualIgnoringCaseByUserLocale);

    list.Load();

    EXPECT_EQ(list.entries(), row.entries);
    EXPECT_FALSE(Exists(replacement));
    EXPECT_EQ(ReadRaw(target_), row.rolledForward ? row.replacement : "<missing>");
    EXPECT_EQ(ReadRaw(aside), row.rolledForward ? "<missing>" : row.replacement);
}

const LeftoverCase kLeftoverCases[] = {
    {"whole", "10.0.0.1\r\n10.0.0.2,10.0.0.3\r\n", {"10.0.0.1", "10.0.0.2,10.0.0.3"}, true},
    {"cut mid-line", "10.0.0.1\r\n10.0.0.2,10.0", {}, false},
    {"empty", "", {}, false},
    {"only CR without LF", "10.0.0.1\r", {}, false},
};

INSTANTIATE_TEST_SUITE_P(WatchLeftovers,
                         WatchFileSystemLeftoverTest,
                         ::testing::ValuesIn(kLeftoverCases),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

struct EqualityCase {
    const char* name;
    std::string a;
    std::string b;
    bool equal;
};

void PrintTo(const EqualityCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchLocaleEqualityTest : public ::testing::TestWithParam<EqualityCase> {};

TEST_P(WatchLocaleEqualityTest, IgnoresLetterCaseButNotBlanks) {
    const EqualityCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(EqualIgnoringCaseByUserLocale(row.a, row.b), row.equal);
}

const EqualityCase kEqualityCases[] = {
    {"same", "10.0.0.1,10.0.0.2", "10.0.0.1,10.0.0.2", true},
    {"letter case", "fe80::ABCD", "FE80::abcd", true},
    {"trailing blank", "10.0.0.1 ", "10.0.0.1", false},
    {"both empty", "", "", true},
    {"empty against text", "", "10.0.0.1", false},
    {"other order", "10.0.0.1,10.0.0.2", "10.0.0.2,10.0.0.1", false},
    {"embedded nul counts", std::string("a\0b", 3), "a", false},
};

INSTANTIATE_TEST_SUITE_P(WatchTexts,
                         WatchLocaleEqualityTest,
                         ::testing::ValuesIn(kEqualityCases),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

}  // namespace
}  // namespace quillcrest
