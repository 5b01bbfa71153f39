#pragma once

// What the registry operations do on any registry they are given: one table of cases run over the in-memory
// registry of the portable tests and over the registry of the running Windows, so the two cannot drift apart.
// Include this from exactly one source file of a test program, and define MakeRegistryContractBackend there.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "settings/registry_api.h"
#include "settings/registry_values.h"
#include "settings/typed_value.h"
#include "support/named_fields_row.h"
#include "support/row_name.h"

namespace quillcrest::contract {

using Bytes = std::vector<std::uint8_t>;

inline Bytes TextBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// The registry a program of tests runs the contract on.
class RegistryContractBackend {
  public:
    virtual ~RegistryContractBackend() = default;
    virtual RegistryApi& api() = 0;
    // A key below HKEY_CURRENT_USER, relative to it, that does not exist yet and that the case may fill. The
    // backend removes it again when it is destroyed.
    virtual std::string scratch() const = 0;
    // From now on the existing key at path (below HKEY_CURRENT_USER) lets everyone read it and nothing more.
    virtual void GrantOnlyRead(const std::string& path) = 0;
};

std::unique_ptr<RegistryContractBackend> MakeRegistryContractBackend();

// A key, or a value with its raw registry data. In every path "$" stands for the scratch key.
struct Planted {
    const char* key;
    const char* value = nullptr;  // nullptr: only the key
    std::uint32_t type = 0;
    Bytes data = {};
};

// One fact about the registry after the operation: a key that exists or not, or a value that holds exactly
// this type and data, or does not exist.
struct Fact {
    const char* key;
    const char* value;  // nullptr: a fact about the key itself
    bool present;
    std::uint32_t type = 0;
    Bytes data = {};
};

struct StoredValue {
    std::uint32_t type = 0;
    Bytes data;
};

class RegistryContractTest : public ::testing::Test {
  protected:
    void SetUp() override { backend_ = MakeRegistryContractBackend(); }
    void TearDown() override { backend_.reset(); }

    RegistryApi& api() { return backend_->api(); }

    std::string Path(const std::string& pattern) const {
        std::string path;
        for (char c : pattern)
            path += c == '$' ? backend_->scratch() : std::string(1, c);
        return path;
    }

    void Plant(const Planted& planted) {
        RegKey key = 0;
        ASSERT_EQ(api().CreateKey(PredefinedKey(kHkeyCurrentUser), Path(planted.key), kKeyAllAccess, key), kRegSuccess)
            << planted.key;
        if (planted.value) {
            EXPECT_EQ(api().SetValue(key, planted.value, planted.type, planted.data.data(),
                                     static_cast<std::uint32_t>(planted.data.size())),
                      kRegSuccess)
                << planted.value;
        }
        api().CloseKey(key);
    }

    void GrantOnlyRead(const char* key) { backend_->GrantOnlyRead(Path(key)); }

    bool KeyExists(const char* key) {
        RegKey opened = 0;
        if (api().OpenKey(PredefinedKey(kHkeyCurrentUser), Path(key), kKeyRead, opened) != kRegSuccess)
            return false;
        api().CloseKey(opened);
        return true;
    }

    std::optional<StoredValue> Stored(const char* key, const char* name) {
        RegKey opened = 0;
        if (api().OpenKey(PredefinedKey(kHkeyCurrentUser), Path(key), kKeyRead, opened) != kRegSuccess)
            return std::nullopt;
        StoredValue value;
        std::uint32_t size = 0;
        RegResult result = api().QueryValue(opened, name, &value.type, nullptr, &size);
        if (result == kRegSuccess && size > 0) {
            value.data.resize(size);
            result = api().QueryValue(opened, name, &value.type, value.data.data(), &size);
            value.data.resize(size);
        }
        api().CloseKey(opened);
        if (result != kRegSuccess)
            return std::nullopt;
        return value;
    }

    void ExpectFact(const Fact& fact) {
        SCOPED_TRACE(std::string(fact.key) + (fact.value ? std::string(" value ") + fact.value : std::string()));
        if (!fact.value) {
            EXPECT_EQ(KeyExists(fact.key), fact.present);
            return;
        }
        const std::optional<StoredValue> stored = Stored(fact.key, fact.value);
        ASSERT_EQ(stored.has_value(), fact.present);
        if (stored) {
            EXPECT_EQ(stored->type, fact.type);
            EXPECT_EQ(stored->data, fact.data);
        }
    }

  private:
    std::unique_ptr<RegistryContractBackend> backend_;
};

template <typename Row>
class RegistryContractTableTest : public RegistryContractTest, public ::testing::WithParamInterface<Row> {};

// ---- Every kind written, then read back with a default of its own kind ----

struct KindRow {
    const char* name;
    TypedValue written;
    std::uint32_t type;
    Bytes stored;
    TypedValue defaultValue;
    TypedValue readBack;
};

inline void PrintTo(const KindRow& row, std::ostream* out) {
    *out << row.name;
}

class RegistryKindsContractTest : public RegistryContractTableTest<KindRow> {};

TEST_P(RegistryKindsContractTest, WritesTheRegistryFormAndReadsTheResultKind) {
    const KindRow& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(WriteRegValue(api(), kHkeyCurrentUser, Path("$"), "v", row.written), kRegSuccess);
    ExpectFact({"$", "v", true, row.type, row.stored});
    EXPECT_EQ(ReadRegValue(api(), kHkeyCurrentUser, Path("$"), "v", row.defaultValue), row.readBack);
}

inline const KindRow kRegistryKindRows[] = {
    {"int32", TypedValue::Int32(300), kRegDword, {0x2C, 0x01, 0, 0}, TypedValue::Int32(0), TypedValue::Int32(300)},
    {"int32 below zero",
     TypedValue::Int32(-300),
     kRegDword,
     {0xD4, 0xFE, 0xFF, 0xFF},
     TypedValue::Int32(0),
     TypedValue::Int32(-300)},
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
    {"string with its NUL", TypedValue::String("208.67.222.222"), kRegSz,
     TextBytes(std::string("208.67.222.222\0", 15)), TypedValue::String(""), TypedValue::String("208.67.222.222")},
    {"empty string is one NUL", TypedValue::String(""), kRegSz, {0}, TypedValue::String("x"), TypedValue::String("")},
};

// ---- Kinds without a registry form ----

struct UnwrittenRow {
    const char* name;
    TypedValue value;
};

inline void PrintTo(const UnwrittenRow& row, std::ostream* out) {
    *out << row.name;
}

class RegistryUnwrittenContractTest : public RegistryContractTableTest<UnwrittenRow> {};

TEST_P(RegistryUnwrittenContractTest, AnswersInvalidParameterAndCreatesNothing) {
    const UnwrittenRow& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(WriteRegValue(api(), kHkeyCurrentUser, Path("$\\K"), "v", row.value), kRegInvalidParameter);
    ExpectFact({"$", nullptr, false});
}

inline const UnwrittenRow kRegistryUnwrittenRows[] = {
    {"empty", TypedValue()},
    {"null", TypedValue::Null()},
    {"int8", TypedValue::Int8(1)},
    {"wide string", TypedValue::WideString()},
    {"object", TypedValue::Object()},
    {"array", TypedValue::Array()},
    {"int64 above 32 bits", TypedValue::Int64(1LL << 32)},
    {"int64 below 32 bits", TypedValue::Int64(-(1LL << 31) - 1)},
};

// ---- Reads of raw registry data: only the form the default selects ----

struct ReadRow {
    const char* name;
    std::uint32_t type;
    Bytes stored;
    TypedValue defaultValue;
    TypedValue expected;
};

inline void PrintTo(const ReadRow& row, std::ostream* out) {
    *out << row.name;
}

class RegistryReadContractTest : public RegistryContractTableTest<ReadRow> {};

TEST_P(RegistryReadContractTest, AcceptsOnlyTheFormTheDefaultSelects) {
    const ReadRow& row = GetParam();
    SCOPED_TRACE(row.name);
    Plant({"$", "v", row.type, row.stored});
    TypedValue result = TypedValue::String("stale");
    ReadRegValue(api(), kHkeyCurrentUser, Path("$"), "v", result, row.defaultValue);
    EXPECT_EQ(result, row.expected);
}

inline const Bytes kContractQword = {8, 0, 0, 0, 0, 0, 0, 0};
inline const Bytes kContractDword300 = {0x2C, 0x01, 0, 0};

inline const ReadRow kRegistryReadRows[] = {
    {"text is no integer", kRegSz, TextBytes(std::string("5\0", 2)), TypedValue::Int32(0), TypedValue::Int32(0)},
    {"dword for an 8-bit default", kRegDword, kContractDword300, TypedValue::UInt8(0), TypedValue::Int32(300)},
    {"dword 2 is true", kRegDword, {2, 0, 0, 0}, TypedValue::Boolean(false), TypedValue::Boolean(true)},
    {"dword for a null default", kRegDword, kContractDword300, TypedValue::Null(), TypedValue::Int32(300)},
    {"short dword", kRegDword, {1, 0}, TypedValue::Int32(9), TypedValue::Int32(9)},
    {"dword is no float", kRegDword, kContractDword300, TypedValue::Float64(1.5), TypedValue::Float64(1.5)},
    {"dword is no string", kRegDword, kContractDword300, TypedValue::String("d"), TypedValue::String("d")},
    {"multi-string for a string default", kRegMultiSz, TextBytes(std::string("a\0b\0\0", 5)), TypedValue::String("d"),
     TypedValue::String("d")},
    {"multi-string for an integer default", kRegMultiSz, TextBytes(std::string("a\0\0", 3)), TypedValue::Int32(9),
     TypedValue::Int32(9)},
    {"qword for an integer default", kRegQword, kContractQword, TypedValue::Int32(9), TypedValue::Int32(9)},
    {"qword for a string default", kRegQword, kContractQword, TypedValue::String("d"), TypedValue::String("d")},
    {"expandable string is not expanded", kRegExpandSz, TextBytes(std::string("%SystemRoot%\0", 13)),
     TypedValue::String("d"), TypedValue::String("%SystemRoot%")},
    {"string of size 0", kRegSz, {}, TypedValue::String("x"), TypedValue::String("")},
    {"string without its NUL", kRegSz, TextBytes("abc"), TypedValue::String("x"), TypedValue::String("abc")},
    {"string up to its first NUL", kRegSz, TextBytes(std::string("ab\0cd\0", 6)), TypedValue::String("x"),
     TypedValue::String("ab")},
    {"string is no boolean", kRegSz, TextBytes(std::string("1\0", 2)), TypedValue::Boolean(false),
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
    {"binary is no string", kRegBinary, kContractQword, TypedValue::String("d"), TypedValue::String("d")},
    {"empty default reads nothing", kRegDword, kContractDword300, TypedValue(), TypedValue()},
    {"int8 default reads nothing", kRegDword, kContractDword300, TypedValue::Int8(3), TypedValue::Int8(3)},
    {"wide string default reads nothing", kRegSz, TextBytes(std::string("a\0", 2)), TypedValue::WideString(),
     TypedValue::WideString()},
};

// ---- One operation on a prepared registry: its answer and what the registry holds afterwards ----

enum class Operation { Write, Read, Delete };

struct OperationRow : fakes::NamedFieldsRow<OperationRow> {
    explicit OperationRow(const char* rowName) : name(rowName) {}

    const char* name;
    std::vector<Planted> before;
    const char* readOnlyKey = nullptr;  // or a planted key that grants only reading from then on
    Operation operation = Operation::Read;
    std::uint32_t root = kHkeyCurrentUser;
    const char* keyPath = "";
    const char* valueName = "";      // for Delete, "" deletes the key
    TypedValue value;                // what Write writes, or the default of Read
    RegResult result = kRegSuccess;  // what Write and Delete answer
    TypedValue read;                 // what Read gives
    std::vector<Fact> after;

    OperationRow& Before(std::vector<Planted> planted) { return Set(&OperationRow::before, std::move(planted)); }
    OperationRow& ReadOnlyKey(const char* key) { return Set(&OperationRow::readOnlyKey, key); }
    OperationRow& Perform(Operation what) { return Set(&OperationRow::operation, what); }
    OperationRow& Root(std::uint32_t key) { return Set(&OperationRow::root, key); }
    OperationRow& KeyPath(const char* path) { return Set(&OperationRow::keyPath, path); }
    OperationRow& ValueName(const char* valueNamed) { return Set(&OperationRow::valueName, valueNamed); }
    OperationRow& Value(TypedValue written) { return Set(&OperationRow::value, std::move(written)); }
    OperationRow& Result(RegResult answer) { return Set(&OperationRow::result, answer); }
    OperationRow& Read(TypedValue given) { return Set(&OperationRow::read, std::move(given)); }
    OperationRow& After(std::vector<Fact> facts) { return Set(&OperationRow::after, std::move(facts)); }
};

inline void PrintTo(const OperationRow& row, std::ostream* out) {
    *out << row.name;
}

class RegistryOperationContractTest : public RegistryContractTableTest<OperationRow> {};

TEST_P(RegistryOperationContractTest, AnswersAndLeavesTheRegistryAsDescribed) {
    const OperationRow& row = GetParam();
    SCOPED_TRACE(row.name);
    for (const Planted& planted : row.before) {
        ASSERT_NO_FATAL_FAILURE(Plant(planted));
    }
    if (row.readOnlyKey) {
        ASSERT_NO_FATAL_FAILURE(GrantOnlyRead(row.readOnlyKey));
    }

    const std::string keyPath = Path(row.keyPath);
    switch (row.operation) {
        case Operation::Write:
            EXPECT_EQ(WriteRegValue(api(), row.root, keyPath, row.valueName, row.value), row.result);
            break;
        case Operation::Read:
            EXPECT_EQ(ReadRegValue(api(), row.root, keyPath, row.valueName, row.value), row.read);
            break;
        case Operation::Delete:
            EXPECT_EQ(DeleteRegValue(api(), row.root, keyPath, row.valueName), row.result);
            break;
    }
    for (const Fact& fact : row.after)
        ExpectFact(fact);
}

inline const Bytes kContractDword1 = {1, 0, 0, 0};
// What the platform answers for a path with an empty part, such as one that starts with a separator.
constexpr RegResult kContractBadPathname = 161;

inline const OperationRow kRegistryOperationRows[] = {
    // Writes
    OperationRow("write creates every missing key")
        .Perform(Operation::Write)
        .KeyPath("$\\A\\B\\C")
        .ValueName("v")
        .Value(TypedValue::Boolean(true))
        .After({{"$\\A", nullptr, true},
                {"$\\A\\B", nullptr, true},
                {"$\\A\\B\\C", "v", true, kRegDword, kContractDword1}}),
    OperationRow("write replaces a value of another type")
        .Before({{"$", "v", kRegSz, TextBytes(std::string("old\0", 4))}})
        .Perform(Operation::Write)
        .KeyPath("$")
        .ValueName("v")
        .Value(TypedValue::Int32(5))
        .After({{"$", "v", true, kRegDword, {5, 0, 0, 0}}}),
    OperationRow("write to the unnamed value of a key")
        .Perform(Operation::Write)
        .KeyPath("$")
        .ValueName("")
        .Value(TypedValue::String("x"))
        .After({{"$", "", true, kRegSz, TextBytes(std::string("x\0", 2))}}),
    OperationRow("write ignores one leading separator")
        .Perform(Operation::Write)
        .KeyPath("\\$")
        .ValueName("v")
        .Value(TypedValue::Int32(1))
        .After({{"$", "v", true, kRegDword, kContractDword1}}),
    OperationRow("write with two leading separators names no key")
        .Perform(Operation::Write)
        .KeyPath("\\\\$")
        .ValueName("v")
        .Value(TypedValue::Int32(1))
        .Result(kContractBadPathname)
        .After({{"$", nullptr, false}}),
    OperationRow("write tolerates one trailing separator")
        .Perform(Operation::Write)
        .KeyPath("$\\A\\")
        .ValueName("v")
        .Value(TypedValue::Int32(1))
        .After({{"$\\A", "v", true, kRegDword, kContractDword1}}),
    OperationRow("write passes over an empty part inside the path")
        .Perform(Operation::Write)
        .KeyPath("$\\\\A")
        .ValueName("v")
        .Value(TypedValue::Int32(1))
        .After({{"$\\A", "v", true, kRegDword, kContractDword1}}),
    OperationRow("write passes over two trailing separators")
        .Perform(Operation::Write)
        .KeyPath("$\\A\\\\")
        .ValueName("v")
        .Value(TypedValue::Int32(1))
        .After({{"$\\A", "v", true, kRegDword, kContractDword1}}),
    OperationRow("root 0 means the current user")
        .Perform(Operation::Write)
        .Root(0u)
        .KeyPath("$")
        .ValueName("v")
        .Value(TypedValue::String("here"))
        .After({{"$", "v", true, kRegSz, TextBytes(std::string("here\0", 5))}}),
    OperationRow("root past the predefined ones means the current user")
        .Perform(Operation::Write)
        .Root(0x80000007u)
        .KeyPath("$")
        .ValueName("v")
        .Value(TypedValue::String("here"))
        .After({{"$", "v", true, kRegSz, TextBytes(std::string("here\0", 5))}}),
    // Reads
    OperationRow("read of a missing key gives the default and creates nothing")
        .Perform(Operation::Read)
        .KeyPath("$\\Missing")
        .ValueName("v")
        .Value(TypedValue::String("d"))
        .Read(TypedValue::String("d"))
        .After({{"$\\Missing", nullptr, false}}),
    OperationRow("read of a missing value gives the default")
        .Before({{"$", "other", kRegDword, kContractDword300}})
        .Perform(Operation::Read)
        .KeyPath("$")
        .ValueName("v")
        .Value(TypedValue::Int32(4))
        .Read(TypedValue::Int32(4)),
    OperationRow("key and value names ignore letter case")
        .Before({{"$\\Mixed", "Name", kRegDword, kContractDword300}})
        .Perform(Operation::Read)
        .KeyPath("$\\MIXED")
        .ValueName("nAME")
        .Value(TypedValue::Int32(0))
        .Read(TypedValue::Int32(300)),
    OperationRow("read with root 0x80000007 reads the current user")
        .Before({{"$", "v", kRegDword, kContractDword300}})
        .Perform(Operation::Read)
        .Root(0x80000007u)
        .KeyPath("$")
        .ValueName("v")
        .Value(TypedValue::Int32(0))
        .Read(TypedValue::Int32(300)),
    // Deletes
    OperationRow("delete of a value keeps the key and its other values")
        .Before({{"$", "v", kRegDword, kContractDword1}, {"$", "w", kRegDword, kContractDword300}})
        .Perform(Operation::Delete)
        .KeyPath("$")
        .ValueName("v")
        .After({{"$", "v", false}, {"$", "w", true, kRegDword, kContractDword300}}),
    OperationRow("delete of an absent value counts as done")
        .Before({{"$", "w", kRegDword, kContractDword300}})
        .Perform(Operation::Delete)
        .KeyPath("$")
        .ValueName("v")
        .After({{"$", "w", true, kRegDword, kContractDword300}}),
    OperationRow("delete of a value under a missing key creates the key empty")
        .Perform(Operation::Delete)
        .KeyPath("$\\Missing")
        .ValueName("v")
        .After({{"$\\Missing", nullptr, true}, {"$\\Missing", "v", false}}),
    OperationRow("empty value name deletes the key with all its subkeys")
        .Before({{"$\\T\\a\\x"},
                 {"$\\T\\a\\y", "v", kRegSz, {0}},
                 {"$\\T\\b\\z\\deeper"},
                 {"$\\T", "v", kRegDword, kContractDword1},
                 {"$\\Tx", "v", kRegDword, kContractDword1}})
        .Perform(Operation::Delete)
        .KeyPath("$\\T")
        .ValueName("")
        .After({{"$\\T", nullptr, false}, {"$\\Tx", "v", true, kRegDword, kContractDword1}}),
    OperationRow("delete of a missing key answers file not found")
        .Before({{"$"}})
        .Perform(Operation::Delete)
        .KeyPath("$\\Missing")
        .ValueName("")
        .Result(kRegFileNotFound)
        .After({{"$", nullptr, true}}),
    OperationRow("empty path never deletes the root")
        .Before({{"$", "v", kRegDword, kContractDword1}})
        .Perform(Operation::Delete)
        .KeyPath("")
        .ValueName("")
        .Result(kRegInvalidParameter)
        .After({{"$", "v", true, kRegDword, kContractDword1}}),
    OperationRow("a lone separator never deletes the root")
        .Before({{"$", "v", kRegDword, kContractDword1}})
        .Perform(Operation::Delete)
        .KeyPath("\\")
        .ValueName("")
        .Result(kRegInvalidParameter)
        .After({{"$", "v", true, kRegDword, kContractDword1}}),
    OperationRow("two separators never delete the root")
        .Before({{"$", "v", kRegDword, kContractDword1}})
        .Perform(Operation::Delete)
        .KeyPath("\\\\")
        .ValueName("")
        .Result(kRegInvalidParameter)
        .After({{"$", "v", true, kRegDword, kContractDword1}}),
    // A key the user may read but not change. Wine, unlike Windows, lets such a key be deleted and have keys
    // created below it, so the contract leaves those two open.
    OperationRow("write to a key granting only read is refused")
        .Before({{"$\\RO", "v", kRegDword, kContractDword300}})
        .ReadOnlyKey("$\\RO")
        .Perform(Operation::Write)
        .KeyPath("$\\RO")
        .ValueName("v")
        .Value(TypedValue::Int32(2))
        .Result(kRegAccessDenied)
        .After({{"$\\RO", "v", true, kRegDword, kContractDword300}}),
    OperationRow("read of a key granting only read gives the default")
        .Before({{"$\\RO", "v", kRegDword, kContractDword300}})
        .ReadOnlyKey("$\\RO")
        .Perform(Operation::Read)
        .KeyPath("$\\RO")
        .ValueName("v")
        .Value(TypedValue::Int32(-1))
        .Read(TypedValue::Int32(-1)),
    OperationRow("delete of a value in a key granting only read is refused")
        .Before({{"$\\RO", "v", kRegDword, kContractDword300}})
        .ReadOnlyKey("$\\RO")
        .Perform(Operation::Delete)
        .KeyPath("$\\RO")
        .ValueName("v")
        .Result(kRegAccessDenied)
        .After({{"$\\RO", "v", true, kRegDword, kContractDword300}}),
};

// Runs every table of the contract on the backend of this test program; prefix names that backend.
#define QUILLCREST_INSTANTIATE_REGISTRY_CONTRACT(prefix)                                                         \
    INSTANTIATE_TEST_SUITE_P(prefix, RegistryKindsContractTest, ::testing::ValuesIn(kRegistryKindRows),          \
                             ::quillcrest::fakes::RowName<KindRow>);                                             \
    INSTANTIATE_TEST_SUITE_P(prefix, RegistryUnwrittenContractTest, ::testing::ValuesIn(kRegistryUnwrittenRows), \
                             ::quillcrest::fakes::RowName<UnwrittenRow>);                                        \
    INSTANTIATE_TEST_SUITE_P(prefix, RegistryReadContractTest, ::testing::ValuesIn(kRegistryReadRows),           \
                             ::quillcrest::fakes::RowName<ReadRow>);                                             \
    INSTANTIATE_TEST_SUITE_P(prefix, RegistryOperationContractTest, ::testing::ValuesIn(kRegistryOperationRows), \
                             ::quillcrest::fakes::RowName<OperationRow>)

}  // namespace quillcrest::contract
