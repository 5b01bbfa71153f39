#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "settings/registry_values_win.h"

namespace quillcrest {
namespace {

using Bytes = std::vector<std::uint8_t>;

const char kScratchRoot[] = "Software\\QuillcrestTest";

struct RawValue {
    DWORD type = 0;
    Bytes data;
};

// Direct registry calls, independent of the code under test, to inspect what it did.
std::optional<RawValue> RawQuery(const std::string& path, const std::string& name) {
    UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value;
    DWORD size = 0;
    if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    if (size > 0 &&
        ::RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, value.data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool KeyExists(const std::string& path) {
    UniqueKey key;
    return ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// Each test works under HKCU\Software\QuillcrestTest\<test name>, which is removed before and after it.
class SettingsRegistryWinTest : public ::testing::Test {
  protected:
    SettingsRegistryWinTest() {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::string(kScratchRoot) + "\\" + info->test_suite_name() + "." + info->name();
    }
    void SetUp() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str()); }
    void TearDown() override {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kScratchRoot);  // only succeeds once the last test's key is gone
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// What the operations do on a registry is the contract run in settings_registry_contract_test.cpp; these tests
// cover the functions that reach the registry of the running Windows without being handed one.
class SettingsRegistryWinRootTest : public SettingsRegistryWinTest,
                                    public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(SettingsRegistryWinRootTest, UnknownRootActsOnCurrentUser) {
    const std::uint32_t root = GetParam();
    EXPECT_EQ(WriteRegValue(root, path(), "v", TypedValue::String("here")), kRegSuccess);
    const std::optional<RawValue> raw = RawQuery(path(), "v");
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->data, Text(std::string("here\0", 5)));
    EXPECT_EQ(ReadRegValue(root, path(), "v", TypedValue::String("d")), TypedValue::String("here"));
    EXPECT_EQ(DeleteRegValue(root, path(), "v"), kRegSuccess);
    EXPECT_FALSE(RawQuery(path(), "v").has_value());
    EXPECT_EQ(DeleteRegValue(root, path(), ""), kRegSuccess);
    EXPECT_FALSE(KeyExists(path()));
}

INSTANTIATE_TEST_SUITE_P(Roots,
                         SettingsRegistryWinRootTest,
                         ::testing::Values(0u, 0x80000007u, kHkeyCurrentUser),
                         [](const ::testing::TestParamInfo<std::uint32_t>& info) {
                             char name[16];
                             std::snprintf(name, sizeof(name), "Root_%08X", static_cast<unsigned>(info.param));
                             return std::string(name);
                         });

TEST(SettingsRegistryWinRootsTest, PredefinedKeysMatchTheWindowsHandles) {
    const struct {
        std::uint32_t root;
        HKEY handle;
    } roots[] = {
        {kHkeyClassesRoot, HKEY_CLASSES_ROOT},
        {kHkeyCurrentUser, HKEY_CURRENT_USER},
        {kHkeyLocalMachine, HKEY_LOCAL_MACHINE},
        {kHkeyUsers, HKEY_USERS},
        {kHkeyPerformanceData, HKEY_PERFORMANCE_DATA},
        {kHkeyCurrentConfig, HKEY_CURRENT_CONFIG},
        {kHkeyDynData, HKEY_DYN_DATA},
    };
    for (const auto& r : roots) {
        SCOPED_TRACE(r.root);
        EXPECT_EQ(PredefinedKey(r.root), reinterpret_cast<RegKey>(r.handle));
    }
}

}  // namespace
}  // namespace quillcrest
