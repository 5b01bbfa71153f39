#include "settings/registry_values.h"

#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <vector>

namespace quillcrest {
namespace {

constexpr char kPathSeparator = '\\';
constexpr std::uint32_t kDwordBytes = 4;
constexpr std::uint32_t kBinaryNumberBytes = 8;

// Closes the key it holds on every path out of an operation.
class OpenedKey {
  public:
    explicit OpenedKey(RegistryApi& api) : api_(api) {}
    ~OpenedKey() {
        if (open_)
            api_.CloseKey(key_);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    RegResult Create(RegKey parent, const std::string& subKey, std::uint32_t access) {
        const RegResult result = api_.CreateKey(parent, subKey, access, key_);
        open_ = result == kRegSuccess;
        return result;
    }
    RegResult Open(RegKey parent, const std::string& subKey, std::uint32_t access) {
        const RegResult result = api_.OpenKey(parent, subKey, access, key_);
        open_ = result == kRegSuccess;
        return result;
    }
    RegKey get() const { return key_; }

  private:
    RegistryApi& api_;
    RegKey key_ = 0;
    bool open_ = false;
};

RegKey RootKey(std::uint32_t root) {
    const bool predefined = root >= kHkeyClassesRoot && root <= kHkeyDynData;
    return PredefinedKey(predefined ? root : kHkeyCurrentUser);
}

std::string RelativePath(const std::string& keyPath) {
    if (!keyPath.empty() && keyPath.front() == kPathSeparator)
        return keyPath.substr(1);
    return keyPath;
}

// A path of nothing but separators names the root itself.
bool NamesRoot(const std::string& relativePath) {
    return relativePath.find_first_not_of(kPathSeparator) == std::string::npos;
}

struct RegistryData {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
};

template <typename T>
RegistryData Raw(std::uint32_t type, T number) {
    RegistryData data{type, std::vector<std::uint8_t>(sizeof number)};
    std::memcpy(data.bytes.data(), &number, sizeof number);
    return data;
}

template <typename T>
T FromBytes(const std::vector<std::uint8_t>& bytes) {
    T number;
    std::memcpy(&number, bytes.data(), sizeof number);
    return number;
}

std::optional<RegistryData> DwordOf(const TypedValue& value) {
    const std::int64_t v = value.asInt64();
    // A 32-bit unsigned number keeps its bits in the DWORD; anything else must fit 32 signed bits, because a
    // silently truncated number would be a wrong setting.
    if (value.kind() == ValueKind::UInt32)
        return Raw(kRegDword, static_cast<std::uint32_t>(v));
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return Raw(kRegDword, static_cast<std::int32_t>(v));
}

std::optional<RegistryData> RegistryFormOf(const TypedValue& value) {
    switch (value.kind()) {
        case ValueKind::Int16:
        case ValueKind::Int32:
        case ValueKind::UInt8:
        case ValueKind::UInt16:
        case ValueKind::UInt32:
        case ValueKind::Int64:
            return DwordOf(value);
        case ValueKind::Float32:
        case ValueKind::Float64:
            return Raw(kRegBinary, value.asDouble());
        case ValueKind::Currency:
            return Raw(kRegBinary, value.asCurrency());
        case ValueKind::DateTime:
            return Raw(kRegBinary, value.asDateTime());
        case ValueKind::Boolean:
            return Raw(kRegDword, static_cast<std::int32_t>(value.asBoolean() ? 1 : 0));
        case ValueKind::String: {
            const std::string& text = value.asString();
            if (text.size() >= std::numeric_limits<std::uint32_t>::max())
                return std::nullopt;
            RegistryData data{kRegSz, std::vector<std::uint8_t>(text.begin(), text.end())};
            data.bytes.push_back(0);
            return data;
        }
        default:
            return std::nullopt;
    }
}

// What a read accepts, chosen by the kind of the default.
enum class ReadForm { None, Integer, Boolean, Float, Currency, DateTime, String };

ReadForm ReadFormFor(ValueKind kind) {
    switch (kind) {
        case ValueKind::Null:
        case ValueKind::Int16:
        case ValueKind::Int32:
        case ValueKind::UInt8:
        case ValueKind::UInt16:
        case ValueKind::UInt32:
        case ValueKind::Int64:
            return ReadForm::Integer;
        case ValueKind::Boolean:
            return ReadForm::Boolean;
        case ValueKind::Float32:
        case ValueKind::Float64:
            return ReadForm::Float;
        case ValueKind::Currency:
            return ReadForm::Currency;
        case ValueKind::DateTime:
            return ReadForm::DateTime;
        case ValueKind::String:
            return ReadForm::String;
        default:
            return ReadForm::None;
    }
}

bool Accepts(ReadForm form, std::uint32_t type, std::uint32_t size) {
    switch (form) {
        case ReadForm::Integer:
        case ReadForm::Boolean:
            return type == kRegDword && size == kDwordBytes;
        case ReadForm::Float:
        case ReadForm::Currency:
        case ReadForm::DateTime:
            return type == kRegBinary && size == kBinaryNumberBytes;
        case ReadForm::String:
            return type == kRegSz || type == kRegExpandSz;
        case ReadForm::None:
            break;
    }
    return false;
}

std::optional<RegistryData> QueryData(RegistryApi& api, RegKey key, const std::string& name) {
    RegistryData data;
    std::uint32_t size = 0;
    if (api.QueryValue(key, name, &data.type, nullptr, &size) != kRegSuccess)
        return std::nullopt;
    data.bytes.resize(size);
    if (size == 0)
        return data;
    std::uint32_t type = 0;
    std::uint32_t got = size;
    // The value may change between the two calls; anything but the same type and a fitting size is dropped.
    if (api.QueryValue(key, name, &type, data.bytes.data(), &got) != kRegSuccess || type != data.type || got > size)
        return std::nullopt;
    data.bytes.resize(got);
    return data;
}

TypedValue Decode(ReadForm form, const RegistryData& data) {
    switch (form) {
        case ReadForm::Integer:
            return TypedValue::Int32(FromBytes<std::int32_t>(data.bytes));
        case ReadForm::Boolean:
            return TypedValue::Boolean(FromBytes<std::int32_t>(data.bytes) != 0);
        case ReadForm::Float:
            return TypedValue::Float64(FromBytes<double>(data.bytes));
        case ReadForm::Currency:
            return TypedValue::Currency(FromBytes<std::int64_t>(data.bytes));
        case ReadForm::DateTime:
            return TypedValue::DateTime(FromBytes<double>(data.bytes));
        case ReadForm::String: {
            // Stored strings need not end in a NUL; never read past the data.
            std::string text(data.bytes.begin(), data.bytes.end());
            return TypedValue::String(text.substr(0, text.find('\0')));
        }
        case ReadForm::None:
            break;
    }
    return TypedValue();
}

// Each subkey's own subkeys go first, and siblings from the last index to the first, so deleting one never
// shifts the index of a sibling still to be visited.
RegResult DeleteKeyTree(RegistryApi& api, RegKey parent, const std::string& subKey) {
    {
        OpenedKey key(api);
        if (key.Open(parent, subKey, kKeyReadWrite) == kRegSuccess) {
            std::vector<std::string> children;
            std::string name;
            while (api.EnumKey(key.get(), static_cast<std::uint32_t>(children.size()), name) == kRegSuccess)
                children.push_back(name);
            for (auto child = children.rbegin(); child != children.rend(); ++child)
                DeleteKeyTree(api, key.get(), *child);
        }
    }
    return api.DeleteKey(parent, subKey);
}

}  // namespace

RegResult WriteRegValue(RegistryApi& api,
                        std::uint32_t root,
                        const std::string& keyPath,
                        const std::string& valueName,
                        const TypedValue& value) {
    const std::optional<RegistryData> data = RegistryFormOf(value);
    if (!data)
        return kRegInvalidParameter;
    const std::uint32_t access = api.IsNtFamily() ? kKeyReadWrite : kKeyAllAccess;
    OpenedKey key(api);
    const RegResult opened = key.Create(RootKey(root), RelativePath(keyPath), access);
    if (opened != kRegSuccess)
        return opened;
    return api.SetValue(key.get(), valueName, data->type, data->bytes.data(),
                        static_cast<std::uint32_t>(data->bytes.size()));
}

void ReadRegValue(RegistryApi& api,
                  std::uint32_t root,
                  const std::string& keyPath,
                  const std::string& valueName,
                  TypedValue& result,
                  const TypedValue& defaultValue) {
    result = defaultValue;
    const ReadForm form = ReadFormFor(defaultValue.kind());
    if (form == ReadForm::None)
        return;
    // A value too large for memory is one more failure that ends in the default.
    try {
        OpenedKey key(api);
        if (key.Open(RootKey(root), RelativePath(keyPath), kKeyAllAccess) != kRegSuccess)
            return;
        const std::optional<RegistryData> data = QueryData(api, key.get(), valueName);
        if (!data || !Accepts(form, data->type, static_cast<std::uint32_t>(data->bytes.size())))
            return;
        result = Decode(form, *data);
    } catch (const std::bad_alloc&) {
        // Thrown before result was replaced, so it still holds the default.
    }
}

TypedValue ReadRegValue(RegistryApi& api,
                        std::uint32_t root,
                        const std::string& keyPath,
                        const std::string& valueName,
                        const TypedValue& defaultValue) {
    TypedValue result;
    ReadRegValue(api, root, keyPath, valueName, result, defaultValue);
    return result;
}

RegResult DeleteRegValue(RegistryApi& api,
                         std::uint32_t root,
                         const std::string& keyPath,
                         const std::string& valueName) {
    const std::string path = RelativePath(keyPath);
    if (valueName.empty()) {
        if (NamesRoot(path))
            return kRegInvalidParameter;
        return DeleteKeyTree(api, RootKey(root), path);
    }
    OpenedKey key(api);
    const RegResult opened = key.Create(RootKey(root), path, kKeyReadWrite);
    if (opened != kRegSuccess)
        return opened;
    const RegResult deleted = api.DeleteValue(key.get(), valueName);
    // A value that is not there is as deleted as it can be.
    return deleted == kRegFileNotFound ? kRegSuccess : deleted;
}

}  // namespace quillcrest
