#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/http_header_lines.h"
#include "http/socket_error.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::RowName;

struct StatusCase {
    const char* name;
    std::string statusLine;
    int expected;
};

class HttpStatusCodeTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(HttpStatusCodeTest, ReadsTheSecondWord) {
    const StatusCase& row = GetParam();
    SCOPED_TRACE(row.statusLine);
    EXPECT_EQ(StatusCodeOf(row.statusLine), row.expected);
}

const StatusCase kStatusCases[] = {
    {"ok", "HTTP/1.1 200 OK", 200},
    {"not found", "HTTP/1.1 404 Not Found", 404},
    {"no reason phrase", "HTTP/1.0 302", 302},
    {"garbage line", "garbage", -1},
    {"empty line", "", -1},
    {"word is not a number", "HTTP/1.1 OK 200", -1},
    {"number with letters", "HTTP/1.1 200OK", -1},
    {"two blanks make an empty second word", "HTTP/1.1  200 OK", -1},
    {"trailing blank only", "HTTP/1.1 ", -1},
    {"tab is no word separator", "HTTP/1.1\t200 OK", -1},
    {"number too large for an integer", "HTTP/1.1 99999999999 OK", -1},
    {"leading zeros", "HTTP/1.1 0200 OK", 200},
    {"carriage return kept after the number", "HTTP/1.1 200\r", -1},
};

INSTANTIATE_TEST_SUITE_P(Cases, HttpStatusCodeTest, ::testing::ValuesIn(kStatusCases), RowName<StatusCase>);

struct HeaderCase {
    const char* name;
    std::vector<std::string> lines;
    std::string header;
    std::string expected;
};

class HttpHeaderValueTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HttpHeaderValueTest, FindsTheFirstMatchingLine) {
    const HeaderCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(HeaderValue(row.lines, row.header), row.expected);
}

const HeaderCase kHeaderCases[] = {
    {"plain value", {"HTTP/1.1 200 OK", "Content-Length: 120", ""}, "Content-Length", "120"},
    {"name with its colon", {"HTTP/1.1 200 OK", "Content-Length: 120", ""}, "Content-Length:", "120"},
    {"letter case ignored", {"HTTP/1.1 200 OK", "content-LENGTH: 7", ""}, "Content-Length", "7"},
    {"character after the colon dropped even when no blank", {"Content-Length:100"}, "Content-Length", "00"},
    {"one character value without blank is lost", {"Content-Length:5"}, "Content-Length", ""},
    {"extra blanks trimmed", {"Transfer-Encoding:   chunked  \t"}, "Transfer-Encoding", "chunked"},
    {"control characters trimmed", {"Transfer-Encoding: chunked\r"}, "Transfer-Encoding", "chunked"},
    {"first matching line wins", {"X-A: 1", "X-A: 2"}, "X-A", "1"},
    {"name must start the line", {" X-A: 1", "Y-X-A: 2"}, "X-A", ""},
    {"longer name is a different header", {"Content-Length-Extra: 5"}, "Content-Length", ""},
    {"continuation lines joined by one space", {"X-A: one", "  two ", "\tthree", "X-B: b"}, "X-A", "one two three"},
    {"continuation stops at the empty line", {"X-A: one", "", " two"}, "X-A", "one"},
    {"missing header", {"HTTP/1.1 200 OK", ""}, "Content-Length", ""},
    {"name alone with nothing after the colon", {"X-A:"}, "X-A", ""},
    {"no lines at all", {}, "X-A", ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, HttpHeaderValueTest, ::testing::ValuesIn(kHeaderCases), RowName<HeaderCase>);

struct SocketErrorCase {
    const char* name;
    int code;
    std::string expected;
};

class HttpSocketErrorMessageTest : public ::testing::TestWithParam<SocketErrorCase> {};

TEST_P(HttpSocketErrorMessageTest, DescribesTheCode) {
    const SocketErrorCase& row = GetParam();
    SCOPED_TRACE(row.code);
    EXPECT_EQ(SocketErrorMessage(row.code), row.expected);
    EXPECT_STREQ(ESocketError(row.code).what(), row.expected.c_str());
    EXPECT_EQ(ESocketError(row.code).code(), row.code);
}

const SocketErrorCase kSocketErrorCases[] = {
    {"network unreachable", 10051, "[10051] Network is unreachable"},
    {"connection reset", 10054, "[10054] Connection reset by peer"},
    {"connection timed out", 10060, "[10060] Connection timed out"},
    {"connection refused", 10061, "[10061] Connection refused"},
    {"no route", 10065, "[10065] No Route to Host"},
    {"host not found", 11001, "[11001] Host not found"},
    {"no data record", 11004, "[11004] Valid name, no data record of requested type"},
    {"base of the range", 10000, "[0] No Error"},
    {"first table entry", 10004, "[10004] Interrupted system call"},
    {"would block", 10035, "[10035] Operation would block"},
    {"end of the first range", 10071, "[10071] Too many levels of remote in path"},
    {"start of the second range", 10091, "[10091] Network subsystem is unusable"},
    {"end of the second range", 10094, "[10094] Disconnect"},
    {"gap before the first range", 10005, "Winsock error no 10005"},
    {"gap after the first range", 10072, "Winsock error no 10072"},
    {"gap before the second range", 10090, "Winsock error no 10090"},
    {"gap after the second range", 10095, "Winsock error no 10095"},
    {"before the lookup codes", 11000, "Winsock error no 11000"},
    {"after the lookup codes", 11005, "Winsock error no 11005"},
    {"zero is no table entry", 0, "Winsock error no 0"},
    {"negative code", -1, "Winsock error no -1"},
};

INSTANTIATE_TEST_SUITE_P(Cases,
                         HttpSocketErrorMessageTest,
                         ::testing::ValuesIn(kSocketErrorCases),
                         RowName<SocketErrorCase>);

// Every code in the described ranges has its own description, never the fallback text.
TEST(HttpSocketErrorTable, EveryDescribedRangeIsComplete) {
    const std::pair<int, int> ranges[] = {{10035, 10071}, {10091, 10094}, {11001, 11004}};
    std::vector<int> codes = {10004, 10009, 10013, 10014, 10022, 10024};
    for (const auto& [first, last] : ranges) {
        for (int code = first; code <= last; ++code)
            codes.push_back(code);
    }
    for (const int code : codes) {
        SCOPED_TRACE(code);
        const std::string message = SocketErrorMessage(code);
        const std::string prefix = "[" + std::to_string(code) + "] ";
        ASSERT_EQ(message.compare(0, prefix.size(), prefix), 0) << message;
        EXPECT_GT(message.size(), prefix.size());
    }
}

}  // namespace
}  // namespace quillcrest
