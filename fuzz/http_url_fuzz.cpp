// Page addresses come from pages (picture sources), so their parsing is outside input: whatever the address,
// the host stays within its limit, the path starts with "/", and the request stays five lines; and a picture
// source is fetched as written only when the client would connect to the message domain or a name under it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/ascii_case.h"
#include "base/ipv4_address.h"
#include "http/http_address.h"
#include "http/http_request.h"
#include "pages/page_addresses.h"

namespace {

constexpr char kMessageDomain[] = "ads.example.test";
constexpr char kPictureBase[] = "http://base.test/";

// Whether the host the client connects to for address is the message domain or a name under it.
bool ClientReachesTheMessageDomain(const std::string& address) {
    std::string host = quillcrest::AsciiLowerCase(quillcrest::ParseHttpUrl(address).host);
    if (!host.empty() && host.back() == '.')
        host.pop_back();
    const std::string under = std::string(".") + kMessageDomain;
    return host == kMessageDomain ||
           (host.size() > under.size() && host.compare(host.size() - under.size(), under.size(), under) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    const quillcrest::HttpAddress address = quillcrest::ParseHttpUrl(url);
    if (address.host.size() > quillcrest::kMaxHostLength)
        std::abort();
    if (address.requestPath.empty() || address.requestPath[0] != '/')
        std::abort();
    if (address.host.find('/') != std::string::npos || address.host.find(':') != std::string::npos)
        std::abort();

    const std::string request = quillcrest::GetRequestText(address.requestPath, "h");
    std::size_t lineEnds = 0;
    for (std::size_t pos = request.find("\r\n"); pos != std::string::npos; pos = request.find("\r\n", pos + 2))
        ++lineEnds;
    if (lineEnds != 5 || request.find('\n') != request.find("\r\n") + 1)
        std::abort();

    if (const auto dotted = quillcrest::ParseDottedIpv4(address.host)) {
        const std::string back = std::to_string(dotted->octets[0]) + "." + std::to_string(dotted->octets[1]) + "." +
                                 std::to_string(dotted->octets[2]) + "." + std::to_string(dotted->octets[3]);
        if (back.size() > address.host.size())
            std::abort();
    }

    const std::string picture = quillcrest::MessagePictureAddress(url, kMessageDomain, kPictureBase);
    if (picture == url ? !ClientReachesTheMessageDomain(url) : picture != kPictureBase + url)
        std::abort();
    return 0;
}
