#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillcrest {

// One property value of a WMI row. Besides the CIM values it can say "none" (the row has no such
// property; only lenient lookups answer it) apart from "null" (the property exists but holds no value).
class WmiValue {
  public:
    enum class Kind { None, Null, Boolean, Integer, Text, Array };

    WmiValue() = default;  // none

    static WmiValue Null();
    static WmiValue Boolean(bool value);
    static WmiValue Integer(std::int64_t value);
    static WmiValue Text(std::string value);
    static WmiValue Array(std::vector<WmiValue> items);

    Kind kind() const { return kind_; }
    bool isNone() const { return kind_ == Kind::None; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isArray() const { return kind_ == Kind::Array; }

    // Text as the callers read fields: integers in decimal, booleans as "True"/"False", none and null as "".
    // Raises EWmiError for an array.
    std::string asText() const;
    // None and null read as false, integers as "not zero". Raises EWmiError for text and arrays.
    bool asBoolean() const;

    // Array access, indexed from 0. Each raises EWmiError when the value is not an array; item() also
    // when the index is out of range.
    std::size_t itemCount() const;
    const WmiValue& item(std::size_t index) const;
    const std::vector<WmiValue>& items() const;

  private:
    Kind kind_ = Kind::None;
    bool boolean_ = false;
    std::int64_t integer_ = 0;
    std::string text_;
    std::vector<WmiValue> items_;
};

}  // namespace quillcrest
