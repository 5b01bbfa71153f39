#include "settings/typed_value.h"

#include <limits>
#include <ostream>

namespace quillcrest {

TypedValue TypedValue::Null() {
    return TypedValue(ValueKind::Null, std::monostate{});
}
TypedValue TypedValue::Int8(std::int8_t v) {
    return TypedValue(ValueKind::Int8, std::int64_t{v});
}
TypedValue TypedValue::Int16(std::int16_t v) {
    return TypedValue(ValueKind::Int16, std::int64_t{v});
}
TypedValue TypedValue::Int32(std::int32_t v) {
    return TypedValue(ValueKind::Int32, std::int64_t{v});
}
TypedValue TypedValue::Int64(std::int64_t v) {
    return TypedValue(ValueKind::Int64, v);
}
TypedValue TypedValue::UInt8(std::uint8_t v) {
    return TypedValue(ValueKind::UInt8, std::int64_t{v});
}
TypedValue TypedValue::UInt16(std::uint16_t v) {
    return TypedValue(ValueKind::UInt16, std::int64_t{v});
}
TypedValue TypedValue::UInt32(std::uint32_t v) {
    return TypedValue(ValueKind::UInt32, std::int64_t{v});
}
TypedValue TypedValue::Float32(float v) {
    return TypedValue(ValueKind::Float32, double{v});
}
TypedValue TypedValue::Float64(double v) {
    return TypedValue(ValueKind::Float64, v);
}
TypedValue TypedValue::Currency(std::int64_t scaledValue) {
    return TypedValue(ValueKind::Currency, scaledValue);
}
TypedValue TypedValue::DateTime(double days) {
    return TypedValue(ValueKind::DateTime, days);
}
TypedValue TypedValue::Boolean(bool v) {
    return TypedValue(ValueKind::Boolean, v);
}
TypedValue TypedValue::String(std::string v) {
    return TypedValue(ValueKind::String, std::move(v));
}
TypedValue TypedValue::WideString() {
    return TypedValue(ValueKind::WideString, std::monostate{});
}
TypedValue TypedValue::Object() {
    return TypedValue(ValueKind::Object, std::monostate{});
}
TypedValue TypedValue::Array() {
    return TypedValue(ValueKind::Array, std::monostate{});
}

bool TypedValue::isInteger() const {
    switch (kind_) {
        case ValueKind::Int8:
        case ValueKind::Int16:
        case ValueKind::Int32:
        case ValueKind::Int64:
        case ValueKind::UInt8:
        case ValueKind::UInt16:
        case ValueKind::UInt32:
            return true;
        default:
            return false;
    }
}

void TypedValue::Refuse(const char* form) const {
    throw ETypedValueError(std::string("A value of kind ") + KindName(kind_) + " cannot be read as " + form);
}

std::int64_t TypedValue::asInt64() const {
    if (!isInteger())
        Refuse("an integer");
    return std::get<std::int64_t>(payload_);
}

std::int32_t TypedValue::asInt32() const {
    const std::int64_t v = asInt64();
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        Refuse("a 32-bit integer");
    return static_cast<std::int32_t>(v);
}

bool TypedValue::asBoolean() const {
    if (kind_ == ValueKind::Boolean)
        return std::get<bool>(payload_);
    if (isInteger())
        return std::get<std::int64_t>(payload_) != 0;
    Refuse("a boolean");
}

double TypedValue::asDouble() const {
    switch (kind_) {
        case ValueKind::Float32:
        case ValueKind::Float64:
        case ValueKind::DateTime:
            return std::get<double>(payload_);
        case ValueKind::Currency:
            return static_cast<double>(std::get<std::int64_t>(payload_)) / kCurrencyScale;
        default:
            if (isInteger())
                return static_cast<double>(std::get<std::int64_t>(payload_));
            Refuse("a number");
    }
}

std::int64_t TypedValue::asCurrency() const {
    if (kind_ != ValueKind::Currency)
        Refuse("a currency");
    return std::get<std::int64_t>(payload_);
}

double TypedValue::asDateTime() const {
    if (kind_ != ValueKind::DateTime)
        Refuse("a date-time");
    return std::get<double>(payload_);
}

const std::string& TypedValue::asString() const {
    if (kind_ != ValueKind::String)
        Refuse("a string");
    return std::get<std::string>(payload_);
}

bool operator==(const TypedValue& a, const TypedValue& b) {
    return a.kind_ == b.kind_ && a.payload_ == b.payload_;
}

const char* KindName(ValueKind kind) {
    switch (kind) {
        case ValueKind::Empty:
            return "empty";
        case ValueKind::Null:
            return "null";
        case ValueKind::Int16:
            return "int16";
        case ValueKind::Int32:
            return "int32";
        case ValueKind::UInt8:
            return "uint8";
        case ValueKind::UInt16:
            return "uint16";
        case ValueKind::UInt32:
            return "uint32";
        case ValueKind::Int64:
            return "int64";
        case ValueKind::Float32:
            return "float32";
        case ValueKind::Float64:
            return "float64";
        case ValueKind::Currency:
            return "currency";
        case ValueKind::DateTime:
            return "date-time";
        case ValueKind::Boolean:
            return "boolean";
        case ValueKind::String:
            return "string";
        case ValueKind::WideString:
            return "wide string";
        case ValueKind::Int8:
            return "int8";
        case ValueKind::Object:
            return "object";
        case ValueKind::Array:
            return "array";
    }
    return "unknown";
}

std::ostream& operator<<(std::ostream& out, ValueKind kind) {
    return out << KindName(kind);
}

std::ostream& operator<<(std::ostream& out, const TypedValue& value) {
    out << value.kind();
    switch (value.kind()) {
        case ValueKind::String:
            return out << " \"" << value.asString() << '"';
        case ValueKind::Boolean:
            return out << ' ' << (value.asBoolean() ? "true" : "false");
        case ValueKind::Currency:
            return out << ' ' << value.asCurrency() << "/" << TypedValue::kCurrencyScale;
        case ValueKind::Float32:
        case ValueKind::Float64:
        case ValueKind::DateTime:
            return out << ' ' << value.asDouble();
        default:
            if (value.isInteger())
                out << ' ' << value.asInt64();
            return out;
    }
}

}  // namespace quillcrest
