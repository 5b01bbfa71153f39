#include "http/http_address.h"

#include "base/ascii_case.h"
#include "settings/decimal_text.h"

namespace quillcrest {
namespace {

constexpr char kSchemePrefix[] = "http://";
constexpr std::size_t kSchemePrefixLength = sizeof(kSchemePrefix) - 1;
constexpr long long kMaxPort = 65535;

// A port text that is no number, or one no TCP port can have, falls back to the default port instead of
// wrapping round to some other server's port.
std::uint16_t PortFromText(const std::string& text) {
    const auto number = ParseDecimal(text);
    if (!number || *number < 0 || *number > kMaxPort)
        return kDefaultHttpPort;
    return static_cast<std::uint16_t>(*number);
}

}  // namespace

HttpAddress ParseHttpUrl(const std::string& url) {
    const std::string rest = StartsWithIgnoringAsciiCase(url, kSchemePrefix) ? url.substr(kSchemePrefixLength) : url;
    HttpAddress address;
    const std::size_t slash = rest.find('/');
    const std::string hostPart = rest.substr(0, slash);
    if (slash != std::string::npos)
        address.requestPath = rest.substr(slash);
    const std::size_t colon = hostPart.find(':');
    if (colon != std::string::npos) {
        address.host = hostPart.substr(0, colon);
        address.port = PortFromText(hostPart.substr(colon + 1));
    } else {
        address.host = hostPart;
    }
    if (address.host.size() > kMaxHostLength)
        address.host.resize(kMaxHostLength);
    return address;
}

}  // namespace quillcrest
