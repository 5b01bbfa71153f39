#include "http/http_request.h"

namespace quillcrest {
namespace {

bool IsControlByte(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

std::string EncodeControlBytes(const std::string& path) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsControlByte(byte)) {
            encoded += '%';
            encoded += kHexDigits[byte >> 4];
            encoded += kHexDigits[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

}  // namespace

std::string GetRequestText(const std::string& requestPath, const std::string& host) {
    return "GET " + EncodeControlBytes(requestPath) +
           " HTTP/1.1\r\n"
           "Host: " +
           host +
           "\r\n"
           "Accept: */*\r\n"
           "Connection: close\r\n"
           "\r\n";
}

}  // namespace quillcrest
