#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "support/row_name.h"
#include "support/watch_fake_allowed_list_save_route.h"
#include "support/watch_fake_file_system.h"
#include "watch/allowed_list.h"
#include "watch/allowed_list_text.h"
#include "watch/file_replacement.h"

namespace quillcrest {
namespace {

using fakes::FakeFileSystem;

constexpr char kFolder[] = "C:\\Apps\\";
constexpr char kPath[] = "C:\\Apps\\AllowedDNS.txt";

// ---- Reading the file's lines ----

struct LinesCase {
    const char* name;
    std::string fileText;
    std::vector<std::string> lines;
};

// Failures name the row rather than dump its bytes.
void PrintTo(const LinesCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchAllowedListLinesTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(WatchAllowedListLinesTest, SplitsAtEveryLineEndForm) {
    const LinesCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(AllowedListLines(row.fileText), row.lines);
}

const LinesCase kLinesCases[] = {
    {"empty file", "", {}},
    {"crlf", "1.1.1.1\r\n2.2.2.2,3.3.3.3\r\n", {"1.1.1.1", "2.2.2.2,3.3.3.3"}},
    {"lone cr", "1.1.1.1\r2.2.2.2\r", {"1.1.1.1", "2.2.2.2"}},
    {"lone lf", "1.1.1.1\n2.2.2.2\n", {"1.1.1.1", "2.2.2.2"}},
    {"mixed line ends", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
    {"no final line end", "1.1.1.1\r\n2.2.2.2", {"1.1.1.1", "2.2.2.2"}},
    {"blank lines between are entries", "a\r\n\r\nb\r\n", {"a", "", "b"}},
    {"blank lines with lone lf", "a\n\n\nb", {"a", "", "", "b"}},
    {"blank lines with lone cr", "a\r\r\rb", {"a", "", "", "b"}},
    {"lf then cr is two line ends", "a\n\rb", {"a", "", "b"}},
    {"only a line end", "\r\n", {""}},
    {"trailing blank kept", "1.1.1.1 \r\n", {"1.1.1.1 "}},
    {"leading blank kept", " 1.1.1.1\r\n", {" 1.1.1.1"}},
    {"nul stops reading", std::string("a\r\nb\0c\r\nd\r\n", 11), {"a", "b"}},
    {"nul at start", std::string("\0a\r\n", 4), {}},
    {"duplicates kept", "a\r\na\r\nA\r\n", {"a", "a", "A"}},
};

INSTANTIATE_TEST_SUITE_P(WatchForms, WatchAllowedListLinesTest, ::testing::ValuesIn(kLinesCases), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

TEST(WatchAllowedListFileTextTest, EndsEveryLineWithCrLfAndReadsBackTheSame) {
    const std::vector<std::string> entries = {"1.1.1.1", "", "2.2.2.2,3.3.3.3", "2.2.2.2 "};
    EXPECT_EQ(AllowedListFileText(entries), "1.1.1.1\r\n\r\n2.2.2.2,3.3.3.3\r\n2.2.2.2 \r\n");
    EXPECT_EQ(AllowedListLines(AllowedListFileText(entries)), entries);
    EXPECT_EQ(AllowedListFileText({}), "");
}

// ---- Lookup ----

struct LookupCase {
    const char* name;
    std::string fileText;
    std::string list;
    bool found;
};

// Failures name the row rather than dump its bytes.
void PrintTo(const LookupCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchAllowedListLookupTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(WatchAllowedListLookupTest, MatchesWholeEntriesIgnoringCase) {
    const LookupCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeFileSystem files;
    files.files[kPath] = row.fileText;
    AllowedList list(files, kFolder);
    list.Load();
    EXPECT_EQ(list.Contains(row.list), row.found);
}

const LookupCase kLookupCases[] = {
    {"exact line", "9.9.9.9\r\n1.1.1.1,2.2.2.2\r\n", "1.1.1.1,2.2.2.2", true},
    {"other order is another list", "1.1.1.1,2.2.2.2\r\n", "2.2.2.2,1.1.1.1", false},
    {"part of an entry is no match", "1.1.1.1,2.2.2.2\r\n", "1.1.1.1", false},
    {"entry with trailing blank", "1.1.1.1 \r\n", "1.1.1.1", false},
    {"letter case ignored", "fe80::ABCD\r\n", "FE80::abcd", true},
    {"empty list against blank line between entries", "1.1.1.1\r\n\r\n2.2.2.2\r\n", "", true},
    {"empty list without blank line", "1.1.1.1\r\n2.2.2.2\r\n", "", false},
    {"final line end adds no empty entry", "1.1.1.1\r\n", "", false},
    {"last line without line end", "1.1.1.1\r\n2.2.2.2", "2.2.2.2", true},
    {"line after nul is not read", std::string("1.1.1.1\0\r\n2.2.2.2\r\n", 19), "2.2.2.2", false},
};

INSTANTIATE_TEST_SUITE_P(WatchEntries,
                         WatchAllowedListLookupTest,
                         ::testing::ValuesIn(kLookupCases),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

TEST(WatchAllowedListTest, UsesTheEqualityItIsGiven) {
    FakeFileSystem files;
    files.files[kPath] = "a\r\n";
    std::vector<std::pair<std::string, std::string>> asked;
    AllowedList list(files, kFolder, [&](const std::string& entry, const std::string& text) {
        asked.emplace_back(entry, text);
        return true;
    });
    list.Load();
    EXPECT_TRUE(list.Contains("zzz"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], std::make_pair(std::string("a"), std::string("zzz")));
}

// ---- Load and AddDNSToGoodList ----

TEST(WatchAllowedListTest, MissingFileGivesAnEmptyListAndTheFirstAcceptanceCreatesIt) {
    FakeFileSystem files;
    AllowedList list(files, kFolder);
    EXPECT_EQ(list.path(), kPath);
    list.Load();
    EXPECT_TRUE(list.entries().empty());
    list.AddDNSToGoodList("1.1.1.1");
    EXPECT_EQ(files.files.at(kPath), "1.1.1.1\r\n");
}

TEST(WatchAllowedListTest, AcceptanceRewritesTheWholeFileWithCrLfKeepingDuplicatesAndBlankLines) {
    FakeFileSystem files;
    files.files[kPath] = "a\nb\r\rb\r\nlast";
    AllowedList list(files, kFolder);
    list.Load();
    list.AddDNSToGoodList("1.1.1.1,2.2.2.2");
    EXPECT_EQ(files.files.at(kPath), "a\r\nb\r\n\r\nb\r\nlast\r\n1.1.1.1,2.2.2.2\r\n");
    EXPECT_EQ(files.files.size(), 1u) << "the temporary file is gone";
    EXPECT_TRUE(list.Contains("1.1.1.1,2.2.2.2"));
}

TEST(WatchAllowedListTest, FailedSaveKeepsTheEntryInMemoryAndTheOldFileWhole) {
    FakeFileSystem files;
    files.files[kPath] = "a\r\n";
    AllowedList list(files, kFolder);
    list.Load();
    files.failingSteps = {FakeFileSystem::Step::Write};
    EXPECT_THROW(list.AddDNSToGoodList("b"), EFileError);
    EXPECT_TRUE(list.Contains("b"));
    EXPECT_EQ(files.files.at(kPath), "a\r\n");

    files.failingSteps.clear();
    list.AddDNSToGoodList("c");
    EXPECT_EQ(files.files.at(kPath), "a\r\nb\r\nc\r\n");
}

// A file that could not be read at start must not be overwritten with only this run's acceptances.
class WatchAllowedListUnreadFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        files.files[kPath] = "kept 1\r\nkept 2\r\n";
        files.unreadable.insert(kPath);
        EXPECT_THROW(list.Load(), EFileError);
        EXPECT_TRUE(list.entries().empty());
    }

    FakeFileSystem files;
    AllowedList list{files, kFolder};
};

TEST_F(WatchAllowedListUnreadFileTest, SaveReadsTheFileAgainAndKeepsItsLinesFirst) {
    files.unreadable.clear();
    list.AddDNSToGoodList("new");
    EXPECT_EQ(files.files.at(kPath), "kept 1\r\nkept 2\r\nnew\r\n");
    EXPECT_TRUE(list.Contains("kept 2"));

    // Read once is enough: the next acceptance does not add the file's lines a second time.
    list.AddDNSToGoodList("newer");
    EXPECT_EQ(files.files.at(kPath), "kept 1\r\nkept 2\r\nnew\r\nnewer\r\n");
}

TEST_F(WatchAllowedListUnreadFileTest, SaveRaisesWhileTheFileStaysUnreadableAndLeavesItAlone) {
    EXPECT_THROW(list.AddDNSToGoodList("new"), EFileError);
    EXPECT_EQ(files.files.at(kPath), "kept 1\r\nkept 2\r\n");
    EXPECT_TRUE(list.Contains("new"));

    // Once readable, the acceptances of this run follow the file's lines.
    files.unreadable.clear();
    list.AddDNSToGoodList("newer");
    EXPECT_EQ(files.files.at(kPath), "kept 1\r\nkept 2\r\nnew\r\nnewer\r\n");
}

TEST_F(WatchAllowedListUnreadFileTest, SaveAfterTheFileWasRemovedWritesThisRunsEntries) {
    files.unreadable.clear();
    files.files.clear();
    list.AddDNSToGoodList("new");
    EXPECT_EQ(files.files.at(kPath), "new\r\n");
}

TEST(WatchAllowedListTest, SaveBeforeAnyLoadKeepsTheFilesLines) {
    FakeFileSystem files;
    files.files[kPath] = "kept\r\n";
    AllowedList list(files, kFolder);
    list.AddDNSToGoodList("new");
    EXPECT_EQ(files.files.at(kPath), "kept\r\nnew\r\n");
}

// ---- Replacement on save ----

struct ReplacementCase {
    const char* name;
    FakeFileSystem::Step failingStep;
    bool targetExists;
};

// Failures name the row rather than dump its bytes.
void PrintTo(const ReplacementCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchFileReplacementFailureTest : public ::testing::TestWithParam<ReplacementCase> {};

TEST_P(WatchFileReplacementFailureTest, LeavesTheOldFileWholeAndNoTemporaryFile) {
    const ReplacementCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeFileSystem files;
    if (row.targetExists)
        files.files[kPath] = "old 1\r\nold 2\r\n";
    files.failingSteps = {row.failingStep};

    try {
        ReplaceFileContents(files, kPath, "new\r\n");
        FAIL() << "no error raised";
    } catch (const EFileError& error) {
        EXPECT_NE(std::string(error.what()).find(kPath), std::string::npos) << error.what();
    }
    if (row.targetExists)
        EXPECT_EQ(files.files.at(kPath), "old 1\r\nold 2\r\n");
    else
        EXPECT_EQ(files.files.count(kPath), 0u);
    EXPECT_EQ(files.files.count(ReplacementFileName(kPath)), 0u);
    EXPECT_EQ(files.openFiles, 0);
}

const ReplacementCase kReplacementCases[] = {
    {"create fails", FakeFileSystem::Step::Create, true},
    {"write fails", FakeFileSystem::Step::Write, true},
    {"flush fails", FakeFileSystem::Step::Flush, true},
    {"close fails", FakeFileSystem::Step::Close, true},
    {"move over the old file fails", FakeFileSystem::Step::Move, true},
    {"write fails without old file", FakeFileSystem::Step::Write, false},
    {"move fails without old file", FakeFileSystem::Step::Move, false},
};

INSTANTIATE_TEST_SUITE_P(WatchSteps,
                         WatchFileReplacementFailureTest,
                         ::testing::ValuesIn(kReplacementCases),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

// ---- Recovery at start from a save that a dead process left half done ----

struct RecoveryCase {
    const char* name;
    std::optional<std::string> file;         // AllowedDNS.txt as the dead process left it
    std::optional<std::string> replacement;  // AllowedDNS.txt.new
    std::vector<std::string> entries;        // what Load gives
    std::optional<std::string> fileAfter;    // AllowedDNS.txt after Load
    std::optional<std::string> keptAside;    // AllowedDNS.txt.incomplete after Load
};

void PrintTo(const RecoveryCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchAllowedListRecoveryTest : public ::testing::TestWithParam<RecoveryCase> {};

TEST_P(WatchAllowedListRecoveryTest, LoadFinishesOrUndoesTheInterruptedSave) {
    const RecoveryCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeFileSystem files;
    if (row.file)
        files.files[kPath] = *row.file;
    if (row.replacement)
        files.files[ReplacementFileName(kPath)] = *row.replacement;
    AllowedList list(files, kFolder);

    list.Load();

    EXPECT_EQ(list.entries(), row.entries);
    if (row.fileAfter)
        EXPECT_EQ(files.files.at(kPath), *row.fileAfter);
    else
        EXPECT_EQ(files.files.count(kPath), 0u);
    EXPECT_EQ(files.files.count(ReplacementFileName(kPath)), 0u) << "no temporary file stays";
    const std::string aside = IncompleteReplacementFileName(kPath);
    if (row.keptAside)
        EXPECT_EQ(files.files.at(aside), *row.keptAside);
    else
        EXPECT_EQ(files.files.count(aside), 0u);

    // The next acceptance writes what was loaded and its own entry, nothing of a file kept aside.
    list.AddDNSToGoodList("9.9.9.9");
    EXPECT_EQ(files.files.at(kPath), row.fileAfter.value_or("") + "9.9.9.9\r\n");
    EXPECT_EQ(files.files.count(aside), row.keptAside ? 1u : 0u);
}

const RecoveryCase kRecoveryCases[] = {
    // The rename starts only once the new file is complete: alone, it is the list to keep.
    {"new file alone takes the place", std::nullopt, "a\r\nb\r\n", {"a", "b"}, "a\r\nb\r\n", std::nullopt},
    // ...unless a power loss cut the first save short before its flush reached the disk: whatever does not end
    // with the CR LF written after every line is kept aside, and the list starts empty.
    {"new file alone cut mid-line is kept aside",
     std::nullopt,
     "10.0.0.1\r\n10.0.",
     {},
     std::nullopt,
     "10.0.0.1\r\n10.0."},
    {"empty new file alone is kept aside", std::nullopt, "", {}, std::nullopt, ""},
    {"new file alone ending in CR without LF is kept aside",
     std::nullopt,
     "10.0.0.1\r",
     {},
     std::nullopt,
     "10.0.0.1\r"},
    // Beside the old file the new one may have been cut off while it was written.
    {"torn new file beside the old is dropped", "a\r\n", "a\r\nb", {"a"}, "a\r\n", std::nullopt},
    {"whole new file beside the old is dropped too", "a\r\n", "a\r\nb\r\n", {"a"}, "a\r\n", std::nullopt},
    {"old file alone is read as it is", "a\r\n", std::nullopt, {"a"}, "a\r\n", std::nullopt},
    {"nothing at all gives no entries", std::nullopt, std::nullopt, {}, std::nullopt, std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(WatchLeftovers,
                         WatchAllowedListRecoveryTest,
                         ::testing::ValuesIn(kRecoveryCases),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

TEST(WatchAllowedListRecoveryFailureTest, RenameThatFailsAtStartIsTriedAgainBeforeTheNextSave) {
    FakeFileSystem files;
    files.files[ReplacementFileName(kPath)] = "a\r\n";
    AllowedList list(files, kFolder);
    files.failingSteps = {FakeFileSystem::Step::Move};
    EXPECT_THROW(list.Load(), EFileError);

    files.failingSteps.clear();
    list.AddDNSToGoodList("b");
    EXPECT_EQ(files.files.at(kPath), "a\r\nb\r\n") << "the saved list was not written over";
}

// ---- Who writes the file ----

// One accepted list and the save route's answer: the file this process leaves, what was handed over, whether
// the save raised. The list is accepted in memory in every case.
struct SaveRouteCase {
    const char* name;
    bool inProcess;
    std::optional<std::string> handOverFailure;
    std::string fileAfter;
    std::vector<std::string> handedOver;
};

void PrintTo(const SaveRouteCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchAllowedListSaveRouteTest : public ::testing::TestWithParam<SaveRouteCase> {};

TEST_P(WatchAllowedListSaveRouteTest, AcceptsInMemoryAndWritesOnlyWhereTheRouteSays) {
    const SaveRouteCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeFileSystem files;
    files.files[kPath] = "a\r\n";
    fakes::FakeAllowedListSaveRoute route;
    route.inProcess = row.inProcess;
    route.failWith = row.handOverFailure;
    AllowedList list(files, kFolder, EqualIgnoringAsciiCase, &route);
    list.Load();

    if (row.handOverFailure)
        EXPECT_THROW(list.AddDNSToGoodList("b"), Exception);
    else
        list.AddDNSToGoodList("b");

    EXPECT_EQ(list.entries(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(files.files.at(kPath), row.fileAfter);
    EXPECT_EQ(route.handedOver, row.handedOver);
}

const SaveRouteCase kSaveRouteCases[] = {
    {"this process writes", true, std::nullopt, "a\r\nb\r\n", {}},
    {"a process with rights appends", false, std::nullopt, "a\r\n", {"b"}},
    {"a refused hand-over raises and keeps the list for the run", false, "declined", "a\r\n", {"b"}},
};

INSTANTIATE_TEST_SUITE_P(WatchRoutes,
                         WatchAllowedListSaveRouteTest,
                         ::testing::ValuesIn(kSaveRouteCases),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

TEST(WatchFileReplacementTest, WritesBesideTheTargetAndReplacesOrMovesIt) {
    FakeFileSystem files;
    ReplaceFileContents(files, kPath, "first\r\n");
    EXPECT_EQ(files.files.at(kPath), "first\r\n");
    ReplaceFileContents(files, kPath, "second\r\n");
    EXPECT_EQ(files.files.at(kPath), "second\r\n");
    EXPECT_EQ(files.files.size(), 1u);
    EXPECT_EQ(ReplacementFileName(kPath).rfind(kPath, 0), 0u) << "same folder as the target";
}

}  // namespace
}  // namespace quillcrest
