#include "widgets/link_address.h"

#include "base/ascii_case.h"

namespace quillcrest {
namespace {

constexpr const char* kWebSchemes[] = {"http://", "https://"};

bool IsUnsafeCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= ' ' || byte == 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' || c == '\\' || c == '`';
}

}  // namespace

bool IsOpenableLink(const std::string& address) {
    for (const std::string scheme : kWebSchemes) {
        if (!StartsWithIgnoringAsciiCase(address, scheme))
            continue;
        const std::string rest = address.substr(scheme.size());
        // The host is whatever comes before the first "/", "?" or "#"; an address without one is no web address.
        const std::string::size_type hostEnd = rest.find_first_of("/?#");
        const std::string host = rest.substr(0, hostEnd);
        if (host.empty() || host.front() == '@' || host.front() == ':')
            return false;
        for (char c : address) {
            if (IsUnsafeCharacter(c))
                return false;
        }
        return true;
    }
    return false;
}

}  // namespace quillcrest
