#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/ipv4_address.h"
#include "http/http_address.h"
#include "http/http_request.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::RowName;

struct UrlCase {
    const char* name;
    std::string url;
    std::string host;
    std::uint16_t port;
    std::string requestPath;
};

class HttpUrlTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(HttpUrlTest, SplitsIntoHostPortAndPath) {
    const UrlCase& row = GetParam();
    SCOPED_TRACE(row.url);
    const HttpAddress address = ParseHttpUrl(row.url);
    EXPECT_EQ(address.host, row.host);
    EXPECT_EQ(address.port, row.port);
    EXPECT_EQ(address.requestPath, row.requestPath);
}

const UrlCase kUrlCases[] = {
    {"small scheme", "http://example.test/odnsad.html", "example.test", 80, "/odnsad.html"},
    {"capital scheme", "HTTP://example.test/odnsad.html", "example.test", 80, "/odnsad.html"},
    {"mixed case scheme", "hTtP://example.test/odnsad.html", "example.test", 80, "/odnsad.html"},
    {"no scheme", "example.test/a", "example.test", 80, "/a"},
    {"no slash after host", "http://example.test", "example.test", 80, "/"},
    {"only a slash", "http://example.test/", "example.test", 80, "/"},
    {"port number", "http://example.test:8080/page", "example.test", 8080, "/page"},
    {"port letters", "http://example.test:abc/page", "example.test", 80, "/page"},
    {"port empty", "http://example.test:/page", "example.test", 80, "/page"},
    {"port without path", "http://127.0.0.1:8071", "127.0.0.1", 8071, "/"},
    {"highest port", "http://h:65535/", "h", 65535, "/"},
    {"port beyond 16 bits is no port", "http://h:65536/", "h", 80, "/"},
    {"negative port is no port", "http://h:-1/", "h", 80, "/"},
    {"port with trailing letters", "http://h:80a/", "h", 80, "/"},
    {"second colon belongs to the port text", "http://h:81:82/", "h", 80, "/"},
    {"colon after the first slash is path", "http://h/a:b", "h", 80, "/a:b"},
    {"query kept in path", "http://h/x.gif?a=1&b=/c", "h", 80, "/x.gif?a=1&b=/c"},
    {"scheme other than http is host text", "https://h/x", "https", 80, "//h/x"},
    {"short text shorter than the scheme", "http:/", "http", 80, "/"},
    {"empty address", "", "", 80, "/"},
    {"empty host", "http:///x", "", 80, "/x"},
    {"over-long host is cut to 255", "http://" + std::string(300, 'a') + "/", std::string(255, 'a'), 80, "/"},
};

INSTANTIATE_TEST_SUITE_P(Cases, HttpUrlTest, ::testing::ValuesIn(kUrlCases), RowName<UrlCase>);

struct DottedCase {
    const char* name;
    std::string text;
    std::optional<Ipv4Address> expected;
};

class HttpDottedIpv4Test : public ::testing::TestWithParam<DottedCase> {};

TEST_P(HttpDottedIpv4Test, ReadsOnlyFourDecimalOctets) {
    const DottedCase& row = GetParam();
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ParseDottedIpv4(row.text), row.expected);
}

const DottedCase kDottedCases[] = {
    {"loopback", "127.0.0.1", Ipv4Address{{127, 0, 0, 1}}},
    {"all highest", "255.255.255.255", Ipv4Address{{255, 255, 255, 255}}},
    {"leading zeros", "010.001.000.009", Ipv4Address{{10, 1, 0, 9}}},
    {"octet above 255", "256.1.1.1", std::nullopt},
    {"four digit octet", "1000.1.1.1", std::nullopt},
    {"three parts", "127.0.1", std::nullopt},
    {"five parts", "1.2.3.4.5", std::nullopt},
    {"empty part", "1..3.4", std::nullopt},
    {"trailing dot", "1.2.3.4.", std::nullopt},
    {"host name", "localhost", std::nullopt},
    {"name made of digits and letters", "1.2.3.4a", std::nullopt},
    {"hexadecimal part", "0x7f.0.0.1", std::nullopt},
    {"sign", "+1.2.3.4", std::nullopt},
    {"blank", "1.2.3.4 ", std::nullopt},
    {"empty", "", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Cases, HttpDottedIpv4Test, ::testing::ValuesIn(kDottedCases), RowName<DottedCase>);

struct RequestCase {
    const char* name;
    std::string path;
    std::string host;
    std::string expected;
};

class HttpRequestTextTest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(HttpRequestTextTest, WritesTheFiveLines) {
    const RequestCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(GetRequestText(row.path, row.host), row.expected);
}

const RequestCase kRequestCases[] = {
    {"page", "/odnsad.html", "example.test",
     "GET /odnsad.html HTTP/1.1\r\nHost: example.test\r\nAccept: */*\r\nConnection: close\r\n\r\n"},
    {"root", "/", "127.0.0.1", "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: */*\r\nConnection: close\r\n\r\n"},
    {"blanks and bytes above 127 go as they are", "/a b\xE9", "h",
     "GET /a b\xE9 HTTP/1.1\r\nHost: h\r\nAccept: */*\r\nConnection: close\r\n\r\n"},
    {"line break in a page address cannot add a header", "/x.gif\r\nCookie: y", "h",
     "GET /x.gif%0D%0ACookie: y HTTP/1.1\r\nHost: h\r\nAccept: */*\r\nConnection: close\r\n\r\n"},
    {"other control bytes encoded", std::string("/\x00\x1F\x7F", 4), "h",
     "GET /%00%1F%7F HTTP/1.1\r\nHost: h\r\nAccept: */*\r\nConnection: close\r\n\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, HttpRequestTextTest, ::testing::ValuesIn(kRequestCases), RowName<RequestCase>);

}  // namespace
}  // namespace quillcrest
