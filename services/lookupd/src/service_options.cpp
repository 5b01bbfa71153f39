#include "service_options.h"

#include <stdexcept>

namespace quillcrest::lookupd {
namespace {

constexpr char kUsage[] =
    "usage: quillcrest-lookupd [--address A] [--port P] [--rogue-list FILE] [--country-database FILE]";
constexpr unsigned long kLargestPort = 65535;

std::uint16_t ParsePort(const std::string& text) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        throw std::invalid_argument(kUsage);
    const unsigned long value = std::stoul(text);
    if (value > kLargestPort)
        throw std::invalid_argument(kUsage);
    return static_cast<std::uint16_t>(value);
}

}  // namespace

ServiceOptions ParseServiceOptions(const std::vector<std::string>& arguments) {
    ServiceOptions options;
    for (std::size_t i = 0; i < arguments.size(); i += 2) {
        if (i + 1 >= arguments.size())
            throw std::invalid_argument(kUsage);
        const std::string& name = arguments[i];
        const std::string& value = arguments[i + 1];
        if (name == "--address")
            options.address = value;
        else if (name == "--port")
            options.port = ParsePort(value);
        else if (name == "--rogue-list")
            options.rogueList = value;
        else if (name == "--country-database")
            options.countryDatabase = value;
        else
            throw std::invalid_argument(kUsage);
    }
    return options;
}

}  // namespace quillcrest::lookupd
