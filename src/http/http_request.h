#pragma once

#include <string>

namespace quillcrest {

// The bytes of the GET request for requestPath on host (the host without a port): the request line, "Host",
// "Accept: */*", "Connection: close" and the empty line, each ended by CR LF. Control bytes in the path are
// sent percent-encoded, so an address taken from a page cannot end the request line early and add header
// lines of its own.
std::string GetRequestText(const std::string& requestPath, const std::string& host);

}  // namespace quillcrest
