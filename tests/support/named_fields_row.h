#pragma once

#include <utility>

namespace quillcrest::fakes {

// The base of a table row with many fields, which rows set by name because C++17 has no designated initialisers:
//
//   struct CheckCase : NamedFieldsRow<CheckCase> {
//       explicit CheckCase(const char* rowName) : name(rowName) {}
//       const char* name;
//       int alerts = 0;
//       CheckCase& Alerts(int count) { return Set(&CheckCase::alerts, count); }
//   };
//   const CheckCase kRows[] = {CheckCase("no alert").Alerts(0)};
//
// A field a row does not name keeps the value the struct gives it.
template <typename Row>
class NamedFieldsRow {
  protected:
    template <typename Field, typename Value>
    Row& Set(Field Row::*field, Value&& value) {
        Row& row = static_cast<Row&>(*this);
        row.*field = std::forward<Value>(value);
        return row;
    }
};

}  // namespace quillcrest::fakes
