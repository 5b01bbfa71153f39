#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/registry_values.h"
#include "support/settings_fake_registry.h"

namespace quillcrest {
namespace {

using fakes::FakeRegistryApi;

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

const char kKey[] = "Software\\QuillcrestTest\\Values";
const char kFakeKey[] = "HKCU\\Software\\QuillcrestTest\\Values";
const Bytes kDword300 = {0x2C, 0x01, 0, 0};

// What the operations do on any registry is the contract in support/registry_contract.h; these tests cover what
// only the in-memory registry can show: the rights each operation asks for, the order of deletion, races, and that
// every operation closes every key it opened, whatever path it took.
class SettingsRegistryValuesTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(registry.openHandleCount(), 0u); }
    FakeRegistryApi registry;
};

// Answers the size query with the stored value, then grows the value before the data is fetched.
class GrowingValueRegistry : public FakeRegistryApi {
  public:
    RegResult QueryValue(RegKey key,
                         const std::string& name,
                         std::uint32_t* type,
                         std::uint8_t* data,
                         std::uint32_t* size) override {
        if (data)
            PutValue(kFakeKey, name, kRegSz, Text(std::string("much longer now\0", 16)));
        return FakeRegistryApi::QueryValue(key, name, type, data, size);
    }
};

TEST(SettingsRegistryValuesRaceTest, ValueGrowingBetweenSizeAndDataGivesTheDefault) {
    GrowingValueRegistry registry;
    registry.PutValue(kFakeKey, "v", kRegSz, Text(std::string("ab\0", 3)));
    EXPECT_EQ(ReadRegValue(registry, kHkeyCurrentUser, kKey, "v", TypedValue::String("d")), TypedValue::String("d"));
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

struct AccessCase {
    const char* name;
    bool ntFamily;
    enum Operation { Write, Read, DeleteValue, DeleteKey } operation;
    bool create;
    std::uint32_t access;
};

class SettingsRegistryAccessTest : public ::testing::TestWithParam<AccessCase> {};

TEST_P(SettingsRegistryAccessTest, AsksForTheRightsOfItsOperation) {
    const AccessCase& c = GetParam();
    SCOPED_TRACE(c.name);
    FakeRegistryApi registry(c.ntFamily);
    registry.PutValue(kFakeKey, "v", kRegDword, kDword300);
    switch (c.operation) {
        case AccessCase::Write:
            WriteRegValue(registry, kHkeyCurrentUser, kKey, "v", TypedValue::Int32(1));
            break;
        case AccessCase::Read:
            ReadRegValue(registry, kHkeyCurrentUser, kKey, "v", TypedValue::Int32(1));
            break;
        case AccessCase::DeleteValue:
            DeleteRegValue(registry, kHkeyCurrentUser, kKey, "v");
            break;
        case AccessCase::DeleteKey:
            DeleteRegValue(registry, kHkeyCurrentUser, kKey, "");
            break;
    }
    ASSERT_EQ(registry.openRequests().size(), 1u);
    EXPECT_EQ(registry.openRequests()[0].create, c.create);
    EXPECT_EQ(registry.openRequests()[0].access, c.access);
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

const AccessCase kAccessCases[] = {
    {"write on NT", true, AccessCase::Write, true, 0x2001F},
    {"write elsewhere", false, AccessCase::Write, true, 0xF003F},
    {"read on NT", true, AccessCase::Read, false, 0xF003F},
    {"read elsewhere", false, AccessCase::Read, false, 0xF003F},
    {"value delete on NT", true, AccessCase::DeleteValue, true, 0x2001F},
    {"value delete elsewhere", false, AccessCase::DeleteValue, true, 0x2001F},
    {"key delete", true, AccessCase::DeleteKey, false, 0x2001F},
};

INSTANTIATE_TEST_SUITE_P(Operations, SettingsRegistryAccessTest, ::testing::ValuesIn(kAccessCases));

TEST(SettingsRegistryRightsTest, KeyWithoutFullAccessCannotBeReadButIsWrittenOnNt) {
    FakeRegistryApi registry;
    registry.PutValue(kFakeKey, "v", kRegDword, kDword300);
    registry.Grant(kFakeKey, kKeyReadWrite);
    EXPECT_EQ(ReadRegValue(registry, kHkeyCurrentUser, kKey, "v", TypedValue::Int32(-1)), TypedValue::Int32(-1));

    WriteRegValue(registry, kHkeyCurrentUser, kKey, "v", TypedValue::Int32(2));
    EXPECT_EQ(registry.GetValue(kFakeKey, "v")->data, (Bytes{2, 0, 0, 0}));

    FakeRegistryApi olderPlatform(false);
    olderPlatform.PutValue(kFakeKey, "v", kRegDword, kDword300);
    olderPlatform.Grant(kFakeKey, kKeyReadWrite);
    WriteRegValue(olderPlatform, kHkeyCurrentUser, kKey, "v", TypedValue::Int32(2));
    EXPECT_EQ(olderPlatform.GetValue(kFakeKey, "v")->data, kDword300);
    EXPECT_EQ(registry.openHandleCount() + olderPlatform.openHandleCount(), 0u);
}

struct RootCase {
    std::uint32_t root;
    const char* rootName;
};

class SettingsRegistryRootTest : public SettingsRegistryValuesTest, public ::testing::WithParamInterface<RootCase> {};

TEST_P(SettingsRegistryRootTest, EveryOperationUsesTheRootRule) {
    const RootCase& c = GetParam();
    SCOPED_TRACE(c.rootName);
    const std::string fakeKey = std::string(c.rootName) + "\\Software\\K";
    WriteRegValue(registry, c.root, "Software\\K", "v", TypedValue::Int32(6));
    EXPECT_TRUE(registry.GetValue(fakeKey, "v").has_value());
    EXPECT_EQ(ReadRegValue(registry, c.root, "Software\\K", "v", TypedValue::Int32(0)), TypedValue::Int32(6));
    DeleteRegValue(registry, c.root, "Software\\K", "v");
    EXPECT_FALSE(registry.GetValue(fakeKey, "v").has_value());
    DeleteRegValue(registry, c.root, "Software\\K", "");
    EXPECT_FALSE(registry.HasKey(fakeKey));
    EXPECT_TRUE(registry.HasKey(std::string(c.rootName) + "\\Software"));
}

const RootCase kRoots[] = {
    {0x80000000u, "HKCR"}, {0x80000001u, "HKCU"}, {0x80000002u, "HKLM"}, {0x80000003u, "HKU"},
    {0x80000004u, "HKPD"}, {0x80000005u, "HKCC"}, {0x80000006u, "HKDD"}, {0u, "HKCU"},
    {0x80000007u, "HKCU"}, {0x7FFFFFFFu, "HKCU"}, {0xFFFFFFFFu, "HKCU"},
};

INSTANTIATE_TEST_SUITE_P(Roots, SettingsRegistryRootTest, ::testing::ValuesIn(kRoots));

TEST_F(SettingsRegistryValuesTest, EmptyValueNameDeletesKeyTreeDeepestAndLastFirst) {
    for (const char* key : {"HKCU\\T\\a\\x", "HKCU\\T\\a\\y", "HKCU\\T\\b\\z", "HKCU\\Tx"})
        registry.PutKey(key);
    registry.PutValue("HKCU\\T", "v", kRegDword, kDword300);

    DeleteRegValue(registry, kHkeyCurrentUser, "\\T", "");

    EXPECT_EQ(registry.deletedKeys(), (std::vector<std::string>{"HKCU\\T\\b\\z", "HKCU\\T\\b", "HKCU\\T\\a\\y",
                                                                "HKCU\\T\\a\\x", "HKCU\\T\\a", "HKCU\\T"}));
    EXPECT_EQ(registry.KeyPaths(), std::vector<std::string>{"HKCU\\Tx"});
}

TEST_F(SettingsRegistryValuesTest, EmptyValueNameOnMissingKeyDoesNothing) {
    registry.PutKey("HKCU\\Other");
    DeleteRegValue(registry, kHkeyCurrentUser, "Missing", "");
    EXPECT_TRUE(registry.deletedKeys().empty());
    EXPECT_TRUE(registry.HasKey("HKCU\\Other"));
}

}  // namespace
}  // namespace quillcrest
