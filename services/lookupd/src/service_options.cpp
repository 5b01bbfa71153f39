#include "service_options.h"

#include <stdexcept>

namespace quillcrest::lookupd {
namespace {

constexpr char kUsage[] =
    "usage: quillcrest-lookupd [--address A] [--port P] [--rogue-list FILE] [--country-database FILE] "
    "[--reply-budget BYTES_PER_SECOND]";
constexpr unsigned long kLargestPort = 65535;
// A gigabyte a second is far more than one process can answer; the limit only keeps the number sane.
constexpr unsigned long kLargestReplyBudget = 1000000000;
constexpr std::size_t kLongestNumber = 10;

unsigned long ParseNumber(const std::string& text, unsigned long largest) {
    if (text.empty() || text.size() > kLongestNumber || text.find_first_not_of("0123456789") != std::string::npos)
        throw std::invalid_argument(kUsage);
    const unsigned long value = std::stoul(text);
    if (value > largest)
        throw std::invalid_argument(kUsage);
    return value;
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
            options.port = static_cast<std::uint16_t>(ParseNumber(value, kLargestPort));
        else if (name == "--rogue-list")
            options.rogueList = value;
        else if (name == "--country-database")
            options.countryDatabase = value;
        else if (name == "--reply-budget")
            options.replyBytesPerSecond = ParseNumber(value, kLargestReplyBudget);
        else
            throw std::invalid_argument(kUsage);
    }
    return options;
}

}  // namespace quillcrest::lookupd
