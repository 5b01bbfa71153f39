#include <gtest/gtest.h>

#include <windows.h>
// Needs the declarations of windows.h first.
#include <sddl.h>

#include <cstdint>
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

// Direct registry calls, independent of the code under test, to set up and inspect what it did.
void RawSet(const std::string& path, const std::string& name, DWORD type, const Bytes& data) {
    UniqueKey key;
    ASSERT_EQ(
        ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(key.get(), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

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

struct ReadCase {
    const char* name;
    DWORD type;
    Bytes stored;
    TypedValue defaultValue;
    TypedValue expected;
};

class SettingsRegistryWinReadTest : public SettingsRegistryWinTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SettingsRegistryWinReadTest, ReadsOnlyTheFormTheDefaultSelects) {
    const ReadCase& c = GetParam();
    SCOPED_TRACE(c.name);
    RawSet(path(), "v", c.type, c.stored);
    TypedValue result;
    ReadRegValue(kHkeyCurrentUser, path(), "v", result, c.defaultValue);
    EXPECT_EQ(result, c.expected);
}

const Bytes kQword = {8, 0, 0, 0, 0, 0, 0, 0};

const ReadCase kReads[] = {
    {"text 5 for an integer", REG_SZ, Text(std::string("5\0", 2)), TypedValue::Int32(0), TypedValue::Int32(0)},
    {"dword 300 for an 8-bit default", REG_DWORD, {0x2C, 0x01, 0, 0}, TypedValue::UInt8(0), TypedValue::Int32(300)},
    {"dword 2 for a boolean", REG_DWORD, {2, 0, 0, 0}, TypedValue::Boolean(false), TypedValue::Boolean(true)},
    {"multi-string for a string", REG_MULTI_SZ, Text(std::string("a\0b\0\0", 5)), TypedValue::String("d"),
     TypedValue::String("d")},
    {"multi-string for an integer", REG_MULTI_SZ, Text(std::string("a\0\0", 3)), TypedValue::Int32(9),
     TypedValue::Int32(9)},
    {"qword for a string", REG_QWORD, kQword, TypedValue::String("d"), TypedValue::String("d")},
    {"qword for an integer", REG_QWORD, kQword, TypedValue::Int32(9), TypedValue::Int32(9)},
    {"expandable string stays unexpanded", REG_EXPAND_SZ, Text(std::string("%SystemRoot%\0", 13)),
     TypedValue::String("d"), TypedValue::String("%SystemRoot%")},
};

INSTANTIATE_TEST_SUITE_P(Forms, SettingsRegistryWinReadTest, ::testing::ValuesIn(kReads));

struct RoundTripCase {
    const char* name;
    TypedValue written;
    DWORD type;
    Bytes stored;
    TypedValue defaultValue;
};

class SettingsRegistryWinRoundTripTest : public SettingsRegistryWinTest,
                                         public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(SettingsRegistryWinRoundTripTest, StoresRegistryFormAndReadsItBack) {
    const RoundTripCase& c = GetParam();
    SCOPED_TRACE(c.name);
    WriteRegValue(kHkeyCurrentUser, path(), "v", c.written);
    const std::optional<RawValue> raw = RawQuery(path(), "v");
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->type, c.type);
    EXPECT_EQ(raw->data, c.stored);
    EXPECT_EQ(ReadRegValue(kHkeyCurrentUser, path(), "v", c.defaultValue), c.written);
}

const RoundTripCase kRoundTrips[] = {
    {"empty string is one NUL byte", TypedValue::String(""), REG_SZ, {0}, TypedValue::String("x")},
    {"string", TypedValue::String("208.67.222.222"), REG_SZ, Text(std::string("208.67.222.222\0", 15)),
     TypedValue::String("")},
    {"dword", TypedValue::Int32(-300), REG_DWORD, {0xD4, 0xFE, 0xFF, 0xFF}, TypedValue::Int32(0)},
    {"boolean", TypedValue::Boolean(true), REG_DWORD, {1, 0, 0, 0}, TypedValue::Boolean(false)},
    {"double", TypedValue::Float64(1.25), REG_BINARY, {0, 0, 0, 0, 0, 0, 0xF4, 0x3F}, TypedValue::Float64(0)},
    {"currency", TypedValue::Currency(123456), REG_BINARY, {0x40, 0xE2, 0x01, 0, 0, 0, 0, 0}, TypedValue::Currency(0)},
    {"date-time",
     TypedValue::DateTime(45000.5),
     REG_BINARY,
     {0, 0, 0, 0, 0x10, 0xF9, 0xE5, 0x40},
     TypedValue::DateTime(0)},
};

INSTANTIATE_TEST_SUITE_P(Kinds, SettingsRegistryWinRoundTripTest, ::testing::ValuesIn(kRoundTrips));

TEST_F(SettingsRegistryWinTest, WriteCreatesEveryMissingKey) {
    const std::string deep = path() + "\\A\\B\\C";
    WriteRegValue(kHkeyCurrentUser, "\\" + deep, "v", TypedValue::Int32(7));
    const std::optional<RawValue> raw = RawQuery(deep, "v");
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->data, (Bytes{7, 0, 0, 0}));
}

TEST_F(SettingsRegistryWinTest, DeletingValueUnderMissingKeyCreatesTheKeyEmpty) {
    const std::string missing = path() + "\\Missing";
    DeleteRegValue(kHkeyCurrentUser, missing, "v");
    EXPECT_TRUE(KeyExists(missing));
    EXPECT_FALSE(RawQuery(missing, "v").has_value());
}

TEST_F(SettingsRegistryWinTest, DeletingValueRemovesOnlyThatValue) {
    RawSet(path(), "v", REG_DWORD, {1, 0, 0, 0});
    RawSet(path(), "w", REG_DWORD, {2, 0, 0, 0});
    DeleteRegValue(kHkeyCurrentUser, path(), "v");
    EXPECT_FALSE(RawQuery(path(), "v").has_value());
    EXPECT_TRUE(RawQuery(path(), "w").has_value());
}

TEST_F(SettingsRegistryWinTest, EmptyValueNameRemovesKeyWithNestedSubkeys) {
    for (const char* sub : {"\\T\\a\\x", "\\T\\a\\y", "\\T\\b\\z\\deeper", "\\Tx"})
        RawSet(path() + sub, "v", REG_SZ, {0});
    RawSet(path() + "\\T", "v", REG_DWORD, {1, 0, 0, 0});

    DeleteRegValue(kHkeyCurrentUser, path() + "\\T", "");

    EXPECT_FALSE(KeyExists(path() + "\\T"));
    EXPECT_TRUE(KeyExists(path() + "\\Tx"));
}

class SettingsRegistryWinRootTest : public SettingsRegistryWinTest,
                                    public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(SettingsRegistryWinRootTest, UnknownRootActsOnCurrentUser) {
    const std::uint32_t root = GetParam();
    WriteRegValue(root, path(), "v", TypedValue::String("here"));
    const std::optional<RawValue> raw = RawQuery(path(), "v");
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->data, Text(std::string("here\0", 5)));
    EXPECT_EQ(ReadRegValue(root, path(), "v", TypedValue::String("d")), TypedValue::String("here"));
    DeleteRegValue(root, path(), "v");
    EXPECT_FALSE(RawQuery(path(), "v").has_value());
    DeleteRegValue(root, path(), "");
    EXPECT_FALSE(KeyExists(path()));
}

INSTANTIATE_TEST_SUITE_P(Roots, SettingsRegistryWinRootTest, ::testing::Values(0u, 0x80000007u, kHkeyCurrentUser));

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

// A key the user may read but not change: the read asks for full access, so it gives the default.
TEST_F(SettingsRegistryWinTest, KeyGrantingOnlyReadAccessGivesTheDefault) {
    RawSet(path(), "v", REG_DWORD, {0x2C, 0x01, 0, 0});
    UniqueKey key;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, path().c_str(), 0, KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);

    const auto setDacl = [&key](const char* sddl) {
        UniqueLocal descriptor;
        PSECURITY_DESCRIPTOR raw = nullptr;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &raw, nullptr))
            return false;
        descriptor.reset(raw);
        return ::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, raw) == ERROR_SUCCESS;
    };
    // Protected DACL: everyone may read, nobody may change the key.
    ASSERT_TRUE(setDacl("D:P(A;;KR;;;WD)"));

    UniqueKey probe;
    const LONG fullAccess = ::RegOpenKeyExA(HKEY_CURRENT_USER, path().c_str(), 0, KEY_ALL_ACCESS, probe.put());
    probe.reset();
    TypedValue result;
    ReadRegValue(kHkeyCurrentUser, path(), "v", result, TypedValue::Int32(-1));

    // The handle opened before the change still holds WRITE_DAC, so the key can be handed back for clean-up.
    EXPECT_TRUE(setDacl("D:P(A;;KA;;;WD)"));
    key.reset();

    // Wine enforces key security too, so the restriction is real here.
    EXPECT_EQ(fullAccess, ERROR_ACCESS_DENIED);
    EXPECT_EQ(result, TypedValue::Int32(-1));
}

}  // namespace
}  // namespace quillcrest
