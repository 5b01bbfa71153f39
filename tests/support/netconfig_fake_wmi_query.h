#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "netconfig/wmi_error.h"
#include "netconfig/wmi_query.h"

namespace quillcrest::fakes {

// An in-memory WmiQuery: rows of named values, with the strict and lenient lookups of the real one (property
// names in any letter case) and a record of how it was driven.
class FakeWmiQuery : public WmiQuery {
  public:
    using Row = std::map<std::string, WmiValue>;

    explicit FakeWmiQuery(std::vector<Row> rows = {}) : rows_(std::move(rows)) {}

    void setRows(std::vector<Row> rows) { rows_ = std::move(rows); }
    // The next open raises EWmiError with this message instead of running.
    void failOpenWith(std::string message) { openFailure_ = std::move(message); }

    const std::string& wql() const { return wql_; }
    int openCount() const { return opens_; }
    int closeCount() const { return closes_; }
    bool isOpen() const { return open_; }

    void setWql(const std::string& wql) override {
        close();
        wql_ = wql;
    }
    void open() override {
        close();
        if (openFailure_)
            throw EWmiError(*openFailure_);
        open_ = true;
        ++opens_;
        position_ = 0;
    }
    void first() override {
        requireOpen();
        position_ = 0;
    }
    bool eof() const override { return !open_ || position_ >= rows_.size(); }
    WmiValue fieldByName(const std::string& name) const override {
        const WmiValue value = findField(name);
        if (value.isNone())
            throw EWmiError("Property not found: " + name);
        return value;
    }
    WmiValue findField(const std::string& name) const override {
        if (eof())
            throw EWmiError("No current row");
        // WMI matches property names whatever their letter case.
        for (const auto& [property, value] : rows_[position_]) {
            if (EqualIgnoringCase(property, name))
                return value;
        }
        return WmiValue();
    }
    void next() override {
        requireOpen();
        if (position_ < rows_.size())
            ++position_;
    }
    void close() override {
        if (open_) {
            open_ = false;
            ++closes_;
        }
    }

  private:
    static bool EqualIgnoringCase(const std::string& a, const std::string& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
    }
    void requireOpen() const {
        if (!open_)
            throw EWmiError("Query is not open");
    }

    std::vector<Row> rows_;
    std::optional<std::string> openFailure_;
    std::string wql_;
    bool open_ = false;
    std::size_t position_ = 0;
    int opens_ = 0;
    int closes_ = 0;
};

}  // namespace quillcrest::fakes
