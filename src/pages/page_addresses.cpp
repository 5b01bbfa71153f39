#include "pages/page_addresses.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "base/ascii_case.h"
#include "http/http_address.h"

namespace quillcrest {
namespace {

constexpr char kHttpScheme[] = "http://";

bool IsHostNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.';
}

// The name without the dot that ends its absolute form ("ads.example." names "ads.example"), or nothing when it is
// no plain host name: letters, digits, "-", "_", and dots between labels that are not empty. Whatever a name lookup
// would cut short or read as something else (a NUL, "@" of user-info, "%", a blank) names no server of ours.
std::optional<std::string> PlainHostName(std::string name) {
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    if (name.empty() || name.front() == '.' || name.find("..") != std::string::npos ||
        !std::all_of(name.begin(), name.end(), IsHostNameCharacter))
        return std::nullopt;
    return name;
}

// host is domain itself or a name under it ("x.domain"), letter case aside; "evil-domain" and "domain.evil" are not.
bool IsDomainOrUnder(const std::string& host, const std::string& domain) {
    if (EqualIgnoringAsciiCase(host, domain))
        return true;
    if (host.size() <= domain.size() + 1)
        return false;
    const std::size_t suffix = host.size() - domain.size();
    return host[suffix - 1] == '.' && EqualIgnoringAsciiCase(std::string_view(host).substr(suffix), domain);
}

// Decided on the host the web page client will connect to: the source is read by the client's own address reader,
// so no spelling (a port, user-info, a look-alike name) can make this check see one server and the fetch reach
// another.
bool IsOnTheMessageDomain(const std::string& source, const std::string& domain) {
    if (!StartsWithIgnoringAsciiCase(source, kHttpScheme))
        return false;
    const std::optional<std::string> host = PlainHostName(ParseHttpUrl(source).host);
    const std::optional<std::string> ownDomain = PlainHostName(domain);
    return host && ownDomain && IsDomainOrUnder(*host, *ownDomain);
}

}  // namespace

std::string MessagePageAddress(const std::string& messageHost) {
    return "http://" + messageHost + "/odnsad.html";
}

std::string MessagePictureBase(const std::string& messageHost) {
    return "http://" + messageHost + "/";
}

std::string InformationPageAddress(const std::string& webHost) {
    return "http://" + webHost + "/quillcrestinfo.html";
}

std::string MessagePictureAddress(const std::string& source,
                                  const std::string& domain,
                                  const std::string& pictureBase) {
    // The message page comes over plain HTTP, so anyone on its path may rewrite it: a source taken as written
    // makes the program send a GET wherever it points, a home router's settings page included. Only the message
    // domain's own servers are fetched that way; every other source stays on the message server.
    if (IsOnTheMessageDomain(source, domain))
        return source;
    return pictureBase + source;
}

}  // namespace quillcrest
