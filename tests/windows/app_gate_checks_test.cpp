#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/administrator_check_win.h"
#include "app/platform_check_win.h"
#include "app/single_instance_win.h"
#include "settings/os_version_win.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

// A token group list the way GetTokenInformation lays it out: the header, the SID_AND_ATTRIBUTES array, then
// the SIDs themselves.
class FakeGroups {
  public:
    void Add(WELL_KNOWN_SID_TYPE type, DWORD attributes) {
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof(sid);
        PSID domain = nullptr;
        EXPECT_TRUE(::CreateWellKnownSid(type, domain, sid, &size));
        sids_.emplace_back(sid, sid + size);
        attributes_.push_back(attributes);
    }

    std::vector<BYTE> Layout() const {
        const size_t header = offsetof(TOKEN_GROUPS, Groups) + sids_.size() * sizeof(SID_AND_ATTRIBUTES);
        size_t total = header;
        for (const auto& sid : sids_)
            total += sid.size();
        std::vector<BYTE> buffer(total);
        auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buffer.data());
        groups->GroupCount = static_cast<DWORD>(sids_.size());
        size_t offset = header;
        for (size_t i = 0; i < sids_.size(); ++i) {
            std::copy(sids_[i].begin(), sids_[i].end(), buffer.begin() + offset);
            groups->Groups[i].Sid = buffer.data() + offset;
            groups->Groups[i].Attributes = attributes_[i];
            offset += sids_[i].size();
        }
        return buffer;
    }

  private:
    std::vector<std::vector<BYTE>> sids_;
    std::vector<DWORD> attributes_;
};

// Hands out event handles as stand-in tokens so the check's handle owner closes something real.
class FakeTokenSource : public TokenSource {
  public:
    DWORD threadError = ERROR_NO_TOKEN;  // 0: the thread token opens
    DWORD processError = 0;
    DWORD groupsError = 0;
    FakeGroups groups;
    std::vector<DWORD> sizesOffered;
    bool processTokenAsked = false;

    bool OpenThreadToken(HANDLE* token) override { return Open(threadError, token); }
    bool OpenProcessToken(HANDLE* token) override {
        processTokenAsked = true;
        return Open(processError, token);
    }
    bool GetTokenGroups(HANDLE token, void* buffer, DWORD size, DWORD* needed) override {
        EXPECT_NE(token, nullptr);
        sizesOffered.push_back(size);
        if (groupsError) {
            ::SetLastError(groupsError);
            return false;
        }
        // Relocate the layout into the caller's buffer: the SID pointers must point inside it.
        std::vector<BYTE> layout = groups.Layout();
        *needed = static_cast<DWORD>(layout.size());
        if (size < layout.size()) {
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        auto* source = reinterpret_cast<TOKEN_GROUPS*>(layout.data());
        std::copy(layout.begin(), layout.end(), static_cast<BYTE*>(buffer));
        auto* target = static_cast<TOKEN_GROUPS*>(buffer);
        for (DWORD i = 0; i < source->GroupCount; ++i) {
            const auto offset = static_cast<BYTE*>(source->Groups[i].Sid) - layout.data();
            target->Groups[i].Sid = static_cast<BYTE*>(buffer) + offset;
        }
        return true;
    }

  private:
    static bool Open(DWORD error, HANDLE* token) {
        if (error) {
            ::SetLastError(error);
            return false;
        }
        *token = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        return true;
    }
};

struct AdminCase {
    const char* name;
    DWORD threadError;
    DWORD processError;
    bool withAdministrators;
    DWORD administratorsAttributes;
    bool expected;
    bool expectProcessToken;
};

void PrintTo(const AdminCase& row, std::ostream* out) {
    *out << row.name;
}

class IsAdministratorTest : public ::testing::TestWithParam<AdminCase> {};

TEST_P(IsAdministratorTest, DecidesFromTheRightTokenAndGroup) {
    const AdminCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeTokenSource tokens;
    tokens.threadError = row.threadError;
    tokens.processError = row.processError;
    tokens.groups.Add(WinWorldSid, SE_GROUP_ENABLED);
    if (row.withAdministrators)
        tokens.groups.Add(WinBuiltinAdministratorsSid, row.administratorsAttributes);
    tokens.groups.Add(WinBuiltinUsersSid, SE_GROUP_ENABLED);
    EXPECT_EQ(IsAdministrator(tokens), row.expected);
    EXPECT_EQ(tokens.processTokenAsked, row.expectProcessToken);
}

INSTANTIATE_TEST_SUITE_P(
    Tokens,
    IsAdministratorTest,
    ::testing::ValuesIn(std::vector<AdminCase>{
        {"administrators present in the process token", ERROR_NO_TOKEN, 0, true, SE_GROUP_ENABLED, true, true},
        {"administrators only for deny checks (UAC, not elevated)", ERROR_NO_TOKEN, 0, true, SE_GROUP_USE_FOR_DENY_ONLY,
         true, true},
        {"administrators absent", ERROR_NO_TOKEN, 0, false, 0, false, true},
        {"impersonating thread's token is used", 0, ERROR_ACCESS_DENIED, true, SE_GROUP_ENABLED, true, false},
        {"thread token fails otherwise: no fallback", ERROR_ACCESS_DENIED, 0, true, SE_GROUP_ENABLED, false, false},
        {"process token fails", ERROR_NO_TOKEN, ERROR_ACCESS_DENIED, true, SE_GROUP_ENABLED, false, true},
    }),
    fakes::RowName<AdminCase>);

TEST(IsAdministratorGroupsTest, ReadsAGroupListLargerThanTheFirstBuffer) {
    // A domain member's token easily carries a hundred groups: far beyond 1024 bytes.
    FakeTokenSource tokens;
    for (int i = 0; i < 100; ++i)
        tokens.groups.Add(WinBuiltinUsersSid, SE_GROUP_ENABLED);
    tokens.groups.Add(WinBuiltinAdministratorsSid, SE_GROUP_ENABLED);
    ASSERT_GT(tokens.groups.Layout().size(), 1024u);
    EXPECT_TRUE(IsAdministrator(tokens));
    ASSERT_EQ(tokens.sizesOffered.size(), 2u);
    EXPECT_EQ(tokens.sizesOffered[0], 1024u);
    EXPECT_EQ(tokens.sizesOffered[1], tokens.groups.Layout().size());
}

TEST(IsAdministratorGroupsTest, AFailingGroupReadIsNotAdministrator) {
    FakeTokenSource tokens;
    tokens.groups.Add(WinBuiltinAdministratorsSid, SE_GROUP_ENABLED);
    tokens.groupsError = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(IsAdministrator(tokens));
    EXPECT_EQ(tokens.sizesOffered.size(), 1u);
}

TEST(IsAdministratorSystemTest, WinesTokenHoldsAdministrators) {
    // Wine runs every process as an elevated administrator without an impersonation token, so this passes
    // through the thread token's ERROR_NO_TOKEN to the process token.
    EXPECT_TRUE(IsAdministrator());
}

// The test program carries no manifest, so the prefix's default version (Windows 7, 6.1) reaches it unchanged.
TEST(PlatformCheckSystemTest, ReadsTheVersionTheProcessIsShown) {
    const OsVersionInfo version = ReadOsVersion();
    ASSERT_TRUE(version.valid);
    EXPECT_EQ(version.platformId, kPlatformNT);
    EXPECT_EQ(version.major, 6u);
    EXPECT_EQ(version.minor, 1u);
    EXPECT_TRUE(IsSupportedPlatform());
}

TEST(InstanceMutexTest, OnlyTheCreatorIsTheFirstCopy) {
    const std::string name = "PREVINST:QuillcrestInstanceTest" + std::to_string(::GetCurrentProcessId());
    InstanceMutex first(name);
    EXPECT_TRUE(first.IsFirstCopy());
    InstanceMutex second(name);
    EXPECT_FALSE(second.IsFirstCopy());
    InstanceMutex other(name + "x");
    EXPECT_TRUE(other.IsFirstCopy());
}

TEST(InstanceMutexTest, TitleComesFromThisExecutable) {
    // The test binary's file name starts in lower case, and the first letter keeps its case.
    EXPECT_EQ(DefaultAppTitleOfProcess(), "quillcrest_win_tests");
}

class ActivateFirstCopyTest : public ::testing::Test {
  protected:
    static constexpr char kClass[] = "QuillcrestActivateTest";
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = kClass;
        ::RegisterClassA(&wc);
    }
    HWND Make(const char* caption, bool minimised) {
        HWND hwnd = ::CreateWindowExA(0, kClass, caption, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                      ::GetModuleHandleA(nullptr), nullptr);
        if (minimised)
            ::ShowWindow(hwnd, SW_SHOWMINNOACTIVE);
        windows_.push_back(hwnd);
        return hwnd;
    }
    void TearDown() override {
        for (HWND hwnd : windows_)
            ::DestroyWindow(hwnd);
    }
    std::vector<HWND> windows_;
};

TEST_F(ActivateFirstCopyTest, RestoresAMinimisedWindowWithTheSameClassAndCaption) {
    HWND other = Make("Copy", true);
    HWND self = Make("Copy", false);
    ASSERT_TRUE(::IsIconic(other));
    ActivateFirstCopy(self);
    EXPECT_FALSE(::IsIconic(other));
}

TEST_F(ActivateFirstCopyTest, LeavesWindowsWithAnotherCaptionAlone) {
    // The first copy empties its application window's caption, so a second copy finds nothing to activate.
    HWND running = Make("", true);
    ASSERT_TRUE(::IsIconic(running));
    HWND self = Make("Copy", false);
    ActivateFirstCopy(self);
    EXPECT_TRUE(::IsIconic(running));
}

}  // namespace
}  // namespace quillcrest
