#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>
#include <variant>

#include "base/exception.h"

namespace quillcrest {

// Every kind a TypedValue can carry. The registry operations choose the registry data type by kind; the last
// four kinds exist so callers can hold them, but the registry neither stores nor reads them.
enum class ValueKind {
    Empty,
    Null,
    Int16,
    Int32,
    UInt8,
    UInt16,
    UInt32,
    Int64,
    Float32,
    Float64,
    Currency,  // fixed point with four decimals, held as value x 10000
    DateTime,  // days since 30 December 1899; the fraction is the time of day
    Boolean,
    String,
    WideString,
    Int8,
    Object,
    Array,
};

// Raised when a TypedValue is asked for a form its kind cannot give.
class ETypedValueError : public Exception {
  public:
    using Exception::Exception;
};

// A tagged value: one kind and the payload that kind needs.
class TypedValue {
  public:
    static constexpr std::int64_t kCurrencyScale = 10000;

    // Empty is the "no value at all" kind.
    TypedValue() = default;

    static TypedValue Null();
    static TypedValue Int8(std::int8_t v);
    static TypedValue Int16(std::int16_t v);
    static TypedValue Int32(std::int32_t v);
    static TypedValue Int64(std::int64_t v);
    static TypedValue UInt8(std::uint8_t v);
    static TypedValue UInt16(std::uint16_t v);
    static TypedValue UInt32(std::uint32_t v);
    static TypedValue Float32(float v);
    static TypedValue Float64(double v);
    // scaledValue is the amount times kCurrencyScale (12.3456 is 123456).
    static TypedValue Currency(std::int64_t scaledValue);
    static TypedValue DateTime(double days);
    static TypedValue Boolean(bool v);
    static TypedValue String(std::string v);
    // Kinds that only need to exist: they carry no payload here.
    static TypedValue WideString();
    static TypedValue Object();
    static TypedValue Array();

    ValueKind kind() const { return kind_; }
    bool isInteger() const;

    // Each accessor throws ETypedValueError when the kind cannot give that form.
    // Any integer kind.
    std::int64_t asInt64() const;
    // Any integer kind whose value fits in 32 signed bits.
    std::int32_t asInt32() const;
    // Boolean, or an integer kind (true when not 0).
    bool asBoolean() const;
    // Float32, Float64, DateTime, Currency (scaled back) or an integer kind.
    double asDouble() const;
    // Currency: the scaled amount (value x 10000).
    std::int64_t asCurrency() const;
    // DateTime: days since 30 December 1899.
    double asDateTime() const;
    // String.
    const std::string& asString() const;

    friend bool operator==(const TypedValue& a, const TypedValue& b);
    friend bool operator!=(const TypedValue& a, const TypedValue& b) { return !(a == b); }

  private:
    using Payload = std::variant<std::monostate, std::int64_t, double, bool, std::string>;
    TypedValue(ValueKind kind, Payload payload) : kind_(kind), payload_(std::move(payload)) {}
    [[noreturn]] void Refuse(const char* form) const;

    ValueKind kind_ = ValueKind::Empty;
    Payload payload_;
};

const char* KindName(ValueKind kind);
std::ostream& operator<<(std::ostream& out, ValueKind kind);
std::ostream& operator<<(std::ostream& out, const TypedValue& value);

}  // namespace quillcrest
