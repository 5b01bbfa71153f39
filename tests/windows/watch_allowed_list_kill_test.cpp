// The allowed list must survive the program dying in the middle of a save: a helper program saves the list over
// and over, and is killed at random moments. After every kill the file must hold a whole list, never fewer
// entries than after the kill before.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "base/win_handles_win.h"
#include "watch/allowed_list.h"
#include "watch/file_system_win.h"

namespace quillcrest {
namespace {

constexpr int kKills = 50;
// Each kill comes at a random moment once the helper has saved again: process start-up under Wine takes a
// varying and long while, so a moment counted from the start would mostly hit the start-up.
constexpr int kLongestSavingMs = 25;
constexpr DWORD kHelperSaveWaitMs = 20000;
constexpr DWORD kHelperEndWaitMs = 10000;

std::string FolderOfThisProgram() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The list a helper leaves when it saved entries 1 to count.
std::string WholeList(std::size_t count) {
    std::string text;
    for (std::size_t n = 1; n <= count; ++n)
        text += "entry " + std::to_string(n) + "\r\n";
    return text;
}

// How many entries a file holds, when it is a whole list; -1 when it is anything else.
long long WholeListLength(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t lineEnd = text.find("\r\n"); lineEnd != std::string::npos;
         lineEnd = text.find("\r\n", lineEnd + 2))
        ++count;
    return text == WholeList(count) ? static_cast<long long>(count) : -1;
}

// A folder of its own under the temporary folder, emptied and removed afterwards (interrupted replacements of
// the system may leave temporary files of any name in it).
class WatchAllowedListKillTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathA(sizeof temp, temp), 0u);
        folder_ = std::string(temp) + "quillcrest-kill-" + std::to_string(::GetCurrentProcessId()) + "\\";
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        target_ = folder_ + AllowedList::kFileName;
    }
    void TearDown() override {
        WIN32_FIND_DATAA found{};
        const std::string pattern = folder_ + "*";
        HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                ::DeleteFileA((folder_ + found.cFileName).c_str());
            } while (::FindNextFileA(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryA(folder_.c_str());
    }

    std::size_t FileSize() {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExA(target_.c_str(), GetFileExInfoStandard, &data))
            return 0;
        return data.nFileSizeLow;
    }

    // Starts the helper, waits until it has saved a longer list than sizeBefore, lets it save on for savingMs
    // and kills it.
    void RunAndKill(std::size_t sizeBefore, int savingMs) {
        // The folder goes without its closing separator: a backslash before the closing quote would escape it.
        const std::string folder = folder_.substr(0, folder_.size() - 1);
        std::string commandLine = "\"" + FolderOfThisProgram() + "qc_allowed_list_saver.exe\" \"" + folder + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &started))
            << "cannot start the helper: error " << ::GetLastError();
        const UniqueKernelHandle process(started.hProcess);
        const UniqueKernelHandle thread(started.hThread);
        const DWORD startedAt = ::GetTickCount();
        bool endedByItself = false;
        while (FileSize() <= sizeBefore && !endedByItself && ::GetTickCount() - startedAt < kHelperSaveWaitMs)
            endedByItself = ::WaitForSingleObject(process.get(), 1) == WAIT_OBJECT_0;
        if (!endedByItself)
            endedByItself = ::WaitForSingleObject(process.get(), static_cast<DWORD>(savingMs)) == WAIT_OBJECT_0;
        DWORD exitCode = 0;
        ::GetExitCodeProcess(process.get(), &exitCode);
        ASSERT_FALSE(endedByItself) << "the helper failed by itself with exit code " << exitCode;
        ::TerminateProcess(process.get(), 9);
        ASSERT_EQ(::WaitForSingleObject(process.get(), kHelperEndWaitMs), WAIT_OBJECT_0);
    }

    std::string folder_;
    std::string target_;
};

TEST_F(WatchAllowedListKillTest, FileStaysWholeAndNeverShorterWhenTheSavingProcessIsKilled) {
    const auto seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> saving(0, kLongestSavingMs);
    SCOPED_TRACE("random seed " + std::to_string(seed));

    WinFileSystem files;
    long long entries = 0;
    for (int kill = 1; kill <= kKills; ++kill) {
        const int savingMs = saving(random);
        ASSERT_NO_FATAL_FAILURE(RunAndKill(FileSize(), savingMs));
        SCOPED_TRACE("kill " + std::to_string(kill) + " after " + std::to_string(savingMs) + " ms of saving");
        const std::optional<std::string> text = files.ReadWhole(target_);
        ASSERT_TRUE(text.has_value()) << "the list file is gone";
        const long long now = WholeListLength(*text);
        ASSERT_GE(now, 0) << "the list file is torn:\n" << *text;
        ASSERT_GE(now, entries) << "the list lost entries";
        entries = now;
    }
    std::printf("%d kills while saving, %lld entries in the end\n", kKills, entries);
}

}  // namespace
}  // namespace quillcrest
