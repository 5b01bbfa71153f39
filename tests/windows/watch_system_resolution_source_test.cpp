// The wider check's reach into Windows: a signal of the hosts file's folder calls the program back and makes the
// next read take the file afresh, also a rewrite that keeps the file's size and time; a folder that moves is
// followed, and the old one falls silent.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "base/win_handles_win.h"
#include "watch/system_resolution_source_win.h"

namespace quillcrest {
namespace {

constexpr DWORD kSignalWaitMs = 5000;
// Long enough for a signal on its way to arrive.
constexpr DWORD kQuietWaitMs = 300;
constexpr wchar_t kTcpipParameters[] = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr wchar_t kDataBasePath[] = L"DataBasePath";

std::string Narrow(const std::wstring& ascii) {
    return std::string(ascii.begin(), ascii.end());
}

// Two folders of the test's own; "DataBasePath" names the first while the test runs, so the prefix's own hosts
// file is never touched. Its old data comes back at the end.
class SystemResolutionSourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
        const std::wstring base = std::wstring(temp) + L"quillcrest-hosts-" + std::to_wstring(::GetCurrentProcessId());
        for (std::wstring* folder : {&first_, &second_}) {
            *folder = base + (folder == &first_ ? L"-a" : L"-b");
            ::CreateDirectoryW(folder->c_str(), nullptr);
        }
        hostsPath_ = first_ + L"\\hosts";
        ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTcpipParameters, 0, KEY_READ | KEY_SET_VALUE, key_.put()),
                  ERROR_SUCCESS);
        DWORD size = 0;
        hadOldPath_ =
            ::RegQueryValueExW(key_.get(), kDataBasePath, nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS;
        oldPath_.resize(size);
        if (hadOldPath_)
            ::RegQueryValueExW(key_.get(), kDataBasePath, nullptr, &oldType_, reinterpret_cast<BYTE*>(oldPath_.data()),
                               &size);
        ASSERT_EQ(
            ::RegSetValueExW(key_.get(), kDataBasePath, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(first_.c_str()),
                             static_cast<DWORD>((first_.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
    }
    void TearDown() override {
        if (hadOldPath_)
            ::RegSetValueExW(key_.get(), kDataBasePath, 0, oldType_, reinterpret_cast<const BYTE*>(oldPath_.data()),
                             static_cast<DWORD>(oldPath_.size()));
        else
            ::RegDeleteValueW(key_.get(), kDataBasePath);
        for (const std::wstring& folder : {first_, second_}) {
            ::DeleteFileW((folder + L"\\hosts").c_str());
            ::RemoveDirectoryW(folder.c_str());
        }
    }

    void WriteFile(const std::wstring& path, const std::string& bytes) {
        UniqueFile file(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }
    // Rewrites the hosts file with bytes of the same size and gives it back its old time.
    void RewriteKeepingSizeAndTime(const std::string& bytes) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(::GetFileAttributesExW(hostsPath_.c_str(), GetFileExInfoStandard, &data));
        WriteFile(hostsPath_, bytes);
        UniqueFile file(::CreateFileW(hostsPath_.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &data.ftLastWriteTime));
    }
    static std::string FirstAddress(const ResolutionSettings& settings) {
        return settings.hosts.content && !settings.hosts.content->entries.empty()
                   ? settings.hosts.content->entries.front().address
                   : "<none>";
    }

    std::wstring first_;
    std::wstring second_;
    std::wstring hostsPath_;
    UniqueKey key_;
    bool hadOldPath_ = false;
    DWORD oldType_ = REG_EXPAND_SZ;
    std::string oldPath_;
};

TEST_F(SystemResolutionSourceTest, FolderSignalCallsBackAndTheNextReadTakesTheFileAfresh) {
    WriteFile(hostsPath_, "10.0.0.1 intranet\r\n");
    UniqueKernelHandle signalled(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    std::atomic<int> signals{0};
    SystemResolutionSource source([&] {
        ++signals;
        ::SetEvent(signalled.get());
    });
    ASSERT_EQ(FirstAddress(source.ReadAll()), "10.0.0.1");

    // Unwatched, a rewrite of the same size and time stays unseen.
    RewriteKeepingSizeAndTime("10.0.0.2 intranet\r\n");
    EXPECT_EQ(FirstAddress(source.ReadAll()), "10.0.0.1");

    source.Watch(Narrow(first_));
    RewriteKeepingSizeAndTime("10.0.0.3 intranet\r\n");
    ASSERT_EQ(::WaitForSingleObject(signalled.get(), kSignalWaitMs), WAIT_OBJECT_0) << "no signal for the rewrite";
    ::Sleep(kQuietWaitMs);
    EXPECT_EQ(FirstAddress(source.ReadAll()), "10.0.0.3");

    // The folder moved: the old one falls silent, the new one signals.
    source.Watch(Narrow(second_));
    ::Sleep(kQuietWaitMs);
    int before = signals;
    WriteFile(hostsPath_, "10.0.0.4 intranet\r\n");
    ::Sleep(kQuietWaitMs);
    EXPECT_EQ(signals, before) << "the old folder still signals";
    ::ResetEvent(signalled.get());
    WriteFile(second_ + L"\\hosts", "10.0.0.5 intranet\r\n");
    EXPECT_EQ(::WaitForSingleObject(signalled.get(), kSignalWaitMs), WAIT_OBJECT_0) << "no signal from the new folder";

    source.Stop();
    ::Sleep(kQuietWaitMs);
    before = signals;
    WriteFile(second_ + L"\\hosts", "10.0.0.6 intranet\r\n");
    ::Sleep(kQuietWaitMs);
    EXPECT_EQ(signals, before) << "signalled after Stop";

    // A folder that is not there cannot be watched; that is no failure.
    source.Watch(Narrow(first_) + "\\no such folder");
}

}  // namespace
}  // namespace quillcrest
