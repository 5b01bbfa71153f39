#include "netconfig/wmi_value.h"

#include <utility>

#include "netconfig/wmi_error.h"

namespace quillcrest {

WmiValue WmiValue::Null() {
    WmiValue value;
    value.kind_ = Kind::Null;
    return value;
}

WmiValue WmiValue::Boolean(bool flag) {
    WmiValue value;
    value.kind_ = Kind::Boolean;
    value.boolean_ = flag;
    return value;
}

WmiValue WmiValue::Integer(std::int64_t number) {
    WmiValue value;
    value.kind_ = Kind::Integer;
    value.integer_ = number;
    return value;
}

WmiValue WmiValue::Text(std::string text) {
    WmiValue value;
    value.kind_ = Kind::Text;
    value.text_ = std::move(text);
    return value;
}

WmiValue WmiValue::Array(std::vector<WmiValue> items) {
    WmiValue value;
    value.kind_ = Kind::Array;
    value.items_ = std::move(items);
    return value;
}

std::string WmiValue::asText() const {
    switch (kind_) {
        case Kind::None:
        case Kind::Null:
            return std::string();
        case Kind::Boolean:
            return boolean_ ? "True" : "False";
        case Kind::Integer:
            return std::to_string(integer_);
        case Kind::Text:
            return text_;
        case Kind::Array:
            break;
    }
    throw EWmiError("An array value cannot be read as text");
}

bool WmiValue::asBoolean() const {
    switch (kind_) {
        case Kind::None:
        case Kind::Null:
            return false;
        case Kind::Boolean:
            return boolean_;
        case Kind::Integer:
            return integer_ != 0;
        case Kind::Text:
            throw EWmiError("A text value cannot be read as a boolean");
        case Kind::Array:
            break;
    }
    throw EWmiError("An array value cannot be read as a boolean");
}

const std::vector<WmiValue>& WmiValue::items() const {
    if (kind_ != Kind::Array)
        throw EWmiError("The value is not an array");
    return items_;
}

std::size_t WmiValue::itemCount() const {
    return items().size();
}

const WmiValue& WmiValue::item(std::size_t index) const {
    const std::vector<WmiValue>& all = items();
    if (index >= all.size())
        throw EWmiError("Array index " + std::to_string(index) + " is out of range");
    return all[index];
}

}  // namespace quillcrest
