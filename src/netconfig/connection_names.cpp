#include "netconfig/connection_names.h"

#include <exception>

#include "base/ascii_case.h"

namespace quillcrest {
namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

}  // namespace

void ConnectionNames::Add(const std::string& settingId, const std::string& name) {
    std::string shown = name;
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < kFirstPrintable || byte == kDelete)
            c = ' ';
    }
    names_.emplace_back(settingId, std::move(shown));
}

std::string ConnectionNames::NameOf(const std::string& settingId) const {
    for (const auto& [id, name] : names_) {
        if (EqualIgnoringAsciiCase(id, settingId))
            return name;
    }
    return std::string();
}

ConnectionNames ConnectionNamesOrNone(const ConnectionNameSource& source) {
    if (!source)
        return ConnectionNames();
    try {
        return source();
    } catch (const std::exception&) {
        return ConnectionNames();
    }
}

std::string AdapterLabel(const std::string& settingId, const std::string& connectionName) {
    return connectionName.find_first_not_of(' ') == std::string::npos ? settingId : connectionName;
}

std::string AdapterLabel(const std::string& settingId, const ConnectionNames& names) {
    return AdapterLabel(settingId, names.NameOf(settingId));
}

}  // namespace quillcrest
