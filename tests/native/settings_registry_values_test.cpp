#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "native/settings_fake_registry.h"
#include "settings/registry_values.h"

namespace quillcrest {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

const char kKey[] = "Software\\QuillcrestTest\\Values";
const char kFakeKey[] = "HKCU\\Software\\QuillcrestTest\\Values";

// Every operation must close every key it opened, whatever path it took.
class SettingsRegistryValuesTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(registry.openHandleCount(), 0u); }
    FakeRegistryApi registry;
};

struct RoundTripCase {
    const char* name;
    TypedValue written;
    std::uint32_t type;
    Bytes stored;
    TypedValue defaultValue;
    TypedValue readBack;
};

class SettingsRegistryRoundTripTest : public SettingsRegistryValuesTest,
                                      public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(SettingsRegistryRoundTripTest, StoresRegistryFormAndReadsResultKind) {
    const RoundTripCase& c = GetParam();
    SCOPED_TRACE(c.name);
    WriteRegValue(registry, kHkeyCurrentUser, kKey, "v", c.written);

    const auto stored = registry.GetValue(kFakeKey, "v");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, c.type);
    EXPECT_EQ(stored->data, c.stored);
    EXPECT_EQ(ReadRegValue(registry, kHkeyCurrentUser, kKey, "v", c.defaultValue), c.readBack);
}

const RoundTripCase kRoundTrips[] = {
    {"int32", TypedValue::Int32(300), kRegDword, {0x2C, 0x01, 0, 0}, TypedValue::Int32(0), TypedValue::Int32(300)},
    {"int16 sign-extends",
     TypedValue::Int16(-2),
     kRegDword,
     {0xFE, 0xFF, 0xFF, 0xFF},
     TypedValue::Int16(0),
     TypedValue::Int32(-2)},
    {"uint8 reads back as int32",
     TypedValue::UInt8(7),
     kRegDword,
     {7, 0, 0, 0},
     TypedValue::UInt8(0),
     TypedValue::Int32(7)},
    {"uint16 is stored too",
     TypedValue::UInt16(65535),
     kRegDword,
     {0xFF, 0xFF, 0, 0},
     TypedValue::UInt16(0),
     TypedValue::Int32(65535)},
    {"uint32 keeps its bits",
     TypedValue::UInt32(0xFFFFFFFFu),
     kRegDword,
     {0xFF, 0xFF, 0xFF, 0xFF},
     TypedValue::UInt32(0),
     TypedValue::Int32(-1)},
    {"int64 within 32 bits",
     TypedValue::Int64(-7),
     kRegDword,
     {0xF9, 0xFF, 0xFF, 0xFF},
     TypedValue::Int64(0),
     TypedValue::Int32(-7)},
    {"float32 as an 8-byte double",
     TypedValue::Float32(0.5f),
     kRegBinary,
     {0, 0, 0, 0, 0, 0, 0xE0, 0x3F},
     TypedValue::Float32(0),
     TypedValue::Float64(0.5)},
    {"float64",
     TypedValue::Float64(1.25),
     kRegBinary,
     {0, 0, 0, 0, 0, 0, 0xF4, 0x3F},
     TypedValue::Float64(0),
     TypedValue::Float64(1.25)},
    {"currency as the scaled integer",
     TypedValue::Currency(123456),
     kRegBinary,
     {0x40, 0xE2, 0x01, 0, 0, 0, 0, 0},
     TypedValue::Currency(0),
     TypedValue::Currency(123456)},
    {"date-time as a double",
     TypedValue::DateTime(45000.5),
     kRegBinary,
     {0, 0, 0, 0, 0x10, 0xF9, 0xE5, 0x40},
     TypedValue::DateTime(0),
     TypedValue::DateTime(45000.5)},
    {"true", TypedValue::Boolean(true), kRegDword, {1, 0, 0, 0}, TypedValue::Boolean(false), TypedValue::Boolean(true)},
    {"false",
     TypedValue::Boolean(false),
     kRegDword,
     {0, 0, 0, 0},
     TypedValue::Boolean(true),
     TypedValue::Boolean(false)},
    {"string with its NUL", TypedValue::String("208.67.222.222"), kRegSz, Text(std::string("208.67.222.222\0", 15)),
     TypedValue::String(""), TypedValue::String("208.67.222.222")},
    {"empty string is one NUL", TypedValue::String(""), kRegSz, {0}, TypedValue::String("x"), TypedValue::String("")},
};

INSTANTIATE_TEST_SUITE_P(Kinds, SettingsRegistryRoundTripTest, ::testing::ValuesIn(kRoundTrips));

struct UnwrittenCase {
    const char* name;
    TypedValue value;
};

class SettingsRegistryUnwrittenTest : public SettingsRegistryValuesTest,
                                      public ::testing::WithParamInterface<UnwrittenCase> {};

TEST_P(SettingsRegistryUnwrittenTest, WritesNothingAndLeavesRegistryAlone) {
    SCOPED_TRACE(GetParam().name);
    WriteRegValue(registry, kHkeyCurrentUser, kKey, "v", GetParam().value);
    EXPECT_TRUE(registry.KeyPaths().empty());
}

const UnwrittenCase kUnwritten[] = {
    {"empty", TypedValue()},
    {"null", TypedValue::Null()},
    {"int8", TypedValue::Int8(1)},
    {"wide string", TypedValue::WideString()},
    {"object", TypedValue::Object()},
    {"array", TypedValue::Array()},
    {"int64 above 32 bits", TypedValue::Int64(1LL << 32)},
    {"int64 below 32 bits", TypedValue::Int64(-(1LL << 31) - 1)},
};

INSTANTIATE_TEST_SUITE_P(Kinds, SettingsRegistryUnwrittenTest, ::testing::ValuesIn(kUnwritten));

struct ReadCase {
    const char* name;
    std::uint32_t type;
    Bytes stored;
    TypedValue defaultValue;
    TypedValue expected;
};

class SettingsRegistryReadTest : public SettingsRegistryValuesTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SettingsRegistryReadTest, AcceptsOnlyTheFormTheDefaultSelects) {
    const ReadCase& c = GetParam();
    SCOPED_TRACE(c.name);
    registry.PutValue(kFakeKey, "v", c.type, c.stored);
    TypedValue result = TypedValue::String("stale");
    ReadRegValue(registry, kHkeyCurrentUser, kKey, "v", result, c.defaultValue);
    EXPECT_EQ(result, c.expected);
}

const Bytes kQword = {8, 0, 0, 0, 0, 0, 0, 0};
const Bytes kDword300 = {0x2C, 0x01, 0, 0};

const ReadCase kReads[] = {
    {"text is no integer", kRegSz, Text(std::string("5\0", 2)), TypedValue::Int32(0), TypedValue::Int32(0)},
    {"dword for an 8-bit default", kRegDword, kDword300, TypedValue::UInt8(0), TypedValue::Int32(300)},
    {"dword 2 is true", kRegDword, {2, 0, 0, 0}, TypedValue::Boolean(false), TypedValue::Boolean(true)},
    {"dword for a null default", kRegDword, kDword300, TypedValue::Null(), TypedValue::Int32(300)},
    {"short dword", kRegDword, {1, 0}, TypedValue::Int32(9), TypedValue::Int32(9)},
    {"dword is no float", kRegDword, kDword300, TypedValue::Float64(1.5), TypedValue::Float64(1.5)},
    {"dword is no string", kRegDword, kDword300, TypedValue::String("d"), TypedValue::String("d")},
    {"multi-string for a string default", kRegMultiSz, Text(std::string("a\0b\0\0", 5)), TypedValue::String("d"),
     TypedValue::String("d")},
    {"qword for an integer default", kRegQword, kQword, TypedValue::Int32(9), TypedValue::Int32(9)},
    {"qword for a string default", kRegQword, kQword, TypedValue::String("d"), TypedValue::String("d")},
    {"expandable string is not expanded", kRegExpandSz, Text(std::string("%SystemRoot%\0", 13)),
     TypedValue::String("d"), TypedValue::String("%SystemRoot%")},
    {"string of size 0", kRegSz, {}, TypedValue::String("x"), TypedValue::String("")},
    {"string without its NUL", kRegSz, Text("abc"), TypedValue::String("x"), TypedValue::String("abc")},
    {"string up to its first NUL", kRegSz, Text(std::string("ab\0cd\0", 6)), TypedValue::String("x"),
     TypedValue::String("ab")},
    {"string is no boolean", kRegSz, Text(std::string("1\0", 2)), TypedValue::Boolean(false),
     TypedValue::Boolean(false)},
    {"binary of 8 bytes for a float32 default",
     kRegBinary,
     {0, 0, 0, 0, 0, 0, 0xF4, 0x3F},
     TypedValue::Float32(0),
     TypedValue::Float64(1.25)},
    {"binary of 8 bytes for a currency default",
     kRegBinary,
     {0x68, 0xC5, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
     TypedValue::Currency(0),
     TypedValue::Currency(-15000)},
    {"binary of 4 bytes", kRegBinary, {0, 0, 0xF4, 0x3F}, TypedValue::Float64(7), TypedValue::Float64(7)},
    {"binary of 9 bytes", kRegBinary, Bytes(9), TypedValue::DateTime(7), TypedValue::DateTime(7)},
    {"binary is no string", kRegBinary, kQword, TypedValue::String("d"), TypedValue::String("d")},
    {"empty default reads nothing", kRegDword, kDword300, TypedValue(), TypedValue()},
    {"int8 default reads nothing", kRegDword, kDword300, TypedValue::Int8(3), TypedValue::Int8(3)},
    {"wide string default reads nothing", kRegSz, Text(std::string("a\0", 2)), TypedValue::WideString(),
     TypedValue::WideString()},
};

INSTANTIATE_TEST_SUITE_P(Forms, SettingsRegistryReadTest, ::testing::ValuesIn(kReads));

TEST_F(SettingsRegistryValuesTest, MissingKeyOrValueGivesTheDefault) {
    TypedValue result;
    ReadRegValue(registry, kHkeyCurrentUser, kKey, "v", result, TypedValue::String("d"));
    EXPECT_EQ(result, TypedValue::String("d"));
    EXPECT_FALSE(registry.HasKey(kFakeKey)) << "a read must not create the key";

    registry.PutValue(kFakeKey, "other", kRegSz, {0});
    ReadRegValue(registry, kHkeyCurrentUser, kKey, "v", result, TypedValue::Int32(4));
    EXPECT_EQ(result, TypedValue::Int32(4));
}

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

TEST_F(SettingsRegistryValuesTest, WriteReplacesValueOfAnotherType) {
    registry.PutValue(kFakeKey, "v", kRegSz, Text(std::string("old\0", 4)));
    WriteRegValue(registry, kHkeyCurrentUser, kKey, "v", TypedValue::Int32(5));
    const auto stored = registry.GetValue(kFakeKey, "v");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, kRegDword);
    EXPECT_EQ(stored->data, (Bytes{5, 0, 0, 0}));
}

TEST_F(SettingsRegistryValuesTest, WriteCreatesEveryMissingKey) {
    WriteRegValue(registry, kHkeyCurrentUser, "Software\\A\\B\\C", "v", TypedValue::Boolean(true));
    EXPECT_TRUE(registry.HasKey("HKCU\\Software\\A"));
    EXPECT_TRUE(registry.HasKey("HKCU\\Software\\A\\B"));
    EXPECT_TRUE(registry.GetValue("HKCU\\Software\\A\\B\\C", "v").has_value());
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

struct PathCase {
    const char* keyPath;
    bool written;
};

class SettingsRegistryPathTest : public SettingsRegistryValuesTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(SettingsRegistryPathTest, IgnoresOneLeadingSeparator) {
    const PathCase& c = GetParam();
    SCOPED_TRACE(c.keyPath);
    WriteRegValue(registry, kHkeyCurrentUser, c.keyPath, "v", TypedValue::Int32(1));
    EXPECT_EQ(registry.GetValue("HKCU\\Software\\K", "v").has_value(), c.written);
}

const PathCase kPaths[] = {
    {"Software\\K", true},
    {"\\Software\\K", true},
    {"\\\\Software\\K", false},
};

INSTANTIATE_TEST_SUITE_P(Paths, SettingsRegistryPathTest, ::testing::ValuesIn(kPaths));

TEST_F(SettingsRegistryValuesTest, DeletingValueUnderMissingKeyCreatesTheKey) {
    DeleteRegValue(registry, kHkeyCurrentUser, kKey, "v");
    EXPECT_TRUE(registry.HasKey(kFakeKey));
}

TEST_F(SettingsRegistryValuesTest, DeletingValueKeepsKeyAndOtherValues) {
    registry.PutValue(kFakeKey, "v", kRegDword, kDword300);
    registry.PutValue(kFakeKey, "w", kRegDword, kDword300);
    DeleteRegValue(registry, kHkeyCurrentUser, kKey, "v");
    EXPECT_FALSE(registry.GetValue(kFakeKey, "v").has_value());
    EXPECT_TRUE(registry.GetValue(kFakeKey, "w").has_value());
}

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

// An empty path would name the root: deleting it would wipe every key the user has.
TEST_F(SettingsRegistryValuesTest, EmptyValueNameWithEmptyPathNeverDeletesTheRoot) {
    registry.PutKey("HKCU\\Software\\Keep");
    for (const char* path : {"", "\\", "\\\\"}) {
        SCOPED_TRACE(path);
        DeleteRegValue(registry, kHkeyCurrentUser, path, "");
        EXPECT_TRUE(registry.deletedKeys().empty());
        EXPECT_TRUE(registry.HasKey("HKCU\\Software\\Keep"));
    }
}

}  // namespace
}  // namespace quillcrest
