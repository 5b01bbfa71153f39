#pragma once

#include <string>

#include "netconfig/wmi_value.h"

namespace quillcrest {

// A WQL query walked forward row by row. Every user follows the same order: setWql, open, first, then
// "while (!eof()) { read fields; next(); }", then close. Failures raise EWmiError; the query catches nothing.
class WmiQuery {
  public:
    virtual ~WmiQuery() = default;

    // Sets the text of the next open; an open query is closed first.
    virtual void setWql(const std::string& wql) = 0;
    // Runs the query (connecting when needed) and stands on the first row. Raises "WQL is not defined" for
    // a blank text and "Connection is not defined" when there is nothing to run it on.
    virtual void open() = 0;
    // Stands on the first row again.
    virtual void first() = 0;
    // True past the last row, and whenever the query is closed.
    virtual bool eof() const = 0;
    // The current row's property; raises when the row has no such property.
    virtual WmiValue fieldByName(const std::string& name) const = 0;
    // The current row's property, or a value of kind None when the row has no such property.
    virtual WmiValue findField(const std::string& name) const = 0;
    virtual void next() = 0;
    // Releases the rows; closing a closed query does nothing.
    virtual void close() = 0;
};

}  // namespace quillcrest
