#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "http/http_response_reader.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::RowName;

enum class Expect { Complete, Failed, StillReading };

// What a reader made of a response, compared as a whole between splits.
struct ReadResult {
    Expect state;
    HttpReadError error;
    std::vector<std::string> headerLines;
    std::string body;
    std::size_t used;

    bool operator==(const ReadResult& o) const {
        return state == o.state && error == o.error && headerLines == o.headerLines && body == o.body && used == o.used;
    }
};

void PrintTo(const ReadResult& r, std::ostream* os) {
    *os << "state " << static_cast<int>(r.state) << ", error " << static_cast<int>(r.error) << ", "
        << r.headerLines.size() << " header lines, body " << ::testing::PrintToString(r.body.substr(0, 80)) << " ("
        << r.body.size() << " bytes), used " << r.used;
}

// Feeds bytes cut at the given offsets (ascending), then the end of the connection when asked.
ReadResult ReadInPieces(const std::string& bytes, const std::vector<std::size_t>& cuts, bool connectionEnds) {
    HttpResponseReader reader;
    std::size_t used = 0;
    std::size_t start = 0;
    std::vector<std::size_t> ends = cuts;
    ends.push_back(bytes.size());
    for (const std::size_t end : ends) {
        used += reader.Consume(bytes.data() + start, end - start);
        start = end;
    }
    if (connectionEnds)
        reader.ConsumeEnd();
    const Expect state = reader.Complete() ? Expect::Complete : reader.Failed() ? Expect::Failed : Expect::StillReading;
    return {state, reader.Error(), reader.HeaderLines(), reader.Body(), reader.Failed() ? 0 : used};
}

// The result must not depend on how the bytes were cut: whole, at every single offset, and one byte at a time.
ReadResult ReadSplitEveryWay(const std::string& bytes, bool connectionEnds) {
    const ReadResult whole = ReadInPieces(bytes, {}, connectionEnds);
    for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        EXPECT_EQ(ReadInPieces(bytes, {cut}, connectionEnds), whole);
        if (::testing::Test::HasFailure())
            return whole;
    }
    std::vector<std::size_t> everyByte;
    for (std::size_t cut = 1; cut < bytes.size(); ++cut)
        everyByte.push_back(cut);
    EXPECT_EQ(ReadInPieces(bytes, everyByte, connectionEnds), whole) << "one byte at a time";
    return whole;
}

struct ResponseCase {
    const char* name;
    std::string bytes;
    bool connectionEnds;
    Expect state;
    HttpReadError error;
    std::vector<std::string> headerLines;
    std::string body;
};

void PrintTo(const ResponseCase& row, std::ostream* os) {
    *os << row.name;
}

class HttpResponseReaderTest : public ::testing::TestWithParam<ResponseCase> {};

TEST_P(HttpResponseReaderTest, ReadsTheSameWhereverTheBytesAreCut) {
    const ResponseCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const ReadResult result = ReadSplitEveryWay(row.bytes, row.connectionEnds);
    EXPECT_EQ(result.state, row.state);
    EXPECT_EQ(result.error, row.error);
    if (row.state != Expect::Failed) {
        EXPECT_EQ(result.headerLines, row.headerLines);
        EXPECT_EQ(result.body, row.body);
    }
}

const std::string kOk = "HTTP/1.1 200 OK\r\n";
const std::string kChunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
const std::vector<std::string> kChunkedLines = {"HTTP/1.1 200 OK", "Transfer-Encoding: chunked", ""};
const std::string kAlphabet = "abcdefghijklmnopqrstuvwxyz";

const ResponseCase kResponseCases[] = {
    // Bodies of an announced length.
    {"length body",
     kOk + "Content-Length: 5\r\n\r\nhello",
     false,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Content-Length: 5", ""},
     "hello"},
    {"length body leaves later bytes over",
     kOk + "Content-Length: 2\r\n\r\nhi there",
     false,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Content-Length: 2", ""},
     "hi"},
    {"length body of a 404 is read too",
     "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone",
     false,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 404 Not Found", "Content-Length: 4", ""},
     "gone"},
    {"length body waits for the rest",
     kOk + "Content-Length: 10\r\n\r\nhello",
     false,
     Expect::StillReading,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Content-Length: 10", ""},
     "hello"},
    {"announced 100 and 50 sent",
     kOk + "Content-Length: 100\r\n\r\n" + std::string(50, 'x'),
     true,
     Expect::Failed,
     HttpReadError::ConnectionReset,
     {},
     ""},
    // Bodies up to the end of the connection.
    {"length 0 reads to the end",
     kOk + "Content-Length: 0\r\n\r\nall of it",
     true,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Content-Length: 0", ""},
     "all of it"},
    {"length 0 goes on until the end",
     kOk + "Content-Length: 0\r\n\r\nsome",
     false,
     Expect::StillReading,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Content-Length: 0", ""},
     "some"},
    {"no length reads to the end",
     kOk + "\r\nbody",
     true,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", ""},
     "body"},
    {"negative length reads to the end",
     kOk + "Content-Length: -5\r\n\r\nbody",
     true,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Content-Length: -5", ""},
     "body"},
    {"length that is no number reads to the end",
     kOk + "Content-Length: 1e3\r\n\r\nbody",
     true,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Content-Length: 1e3", ""},
     "body"},
    {"length without blank loses its first digit",
     kOk + "Content-Length:100\r\n\r\nshort",
     true,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Content-Length:100", ""},
     "short"},
    {"length without blank 15 means 5",
     kOk + "Content-Length:15\r\n\r\nhello world",
     false,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Content-Length:15", ""},
     "hello"},
    // Chunked bodies.
    {"chunked", kChunked + "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n", false, Expect::Complete, HttpReadError::None,
     kChunkedLines, "hello world"},
    {"chunked written Chunked",
     kOk + "Transfer-Encoding: Chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
     false,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Transfer-Encoding: Chunked", ""},
     "abc"},
    {"chunk size 1A", kChunked + "1A\r\n" + kAlphabet + "\r\n0\r\n\r\n", false, Expect::Complete, HttpReadError::None,
     kChunkedLines, kAlphabet},
    {"chunk size 1a", kChunked + "1a\r\n" + kAlphabet + "\r\n0\r\n\r\n", false, Expect::Complete, HttpReadError::None,
     kChunkedLines, kAlphabet},
    {"chunk size with blanks around", kChunked + "  5 \t\r\nhello\r\n0\r\n\r\n", false, Expect::Complete,
     HttpReadError::None, kChunkedLines, "hello"},
    {"chunk size of 16 digits", kChunked + "0000000000000005\r\nhello\r\n0\r\n\r\n", false, Expect::Complete,
     HttpReadError::None, kChunkedLines, "hello"},
    {"chunked wins over a length",
     kOk + "Content-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
     false,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Content-Length: 2", "Transfer-Encoding: chunked", ""},
     "abc"},
    {"line after chunk data is not checked", kChunked + "5\r\nhelloXYZ\r\n0\r\n\r\n", false, Expect::Complete,
     HttpReadError::None, kChunkedLines, "hello"},
    {"only one line follows the last chunk", kChunked + "0\r\nX-Trailer: 1\r\n\r\n", false, Expect::Complete,
     HttpReadError::None, kChunkedLines, ""},
    {"end after the last chunk line", kChunked + "2\r\nab\r\n0\r\n", true, Expect::Complete, HttpReadError::None,
     kChunkedLines, "ab"},
    {"other transfer coding is no chunking",
     kOk + "Transfer-Encoding: gzip, chunked\r\n\r\n3\r\nabc",
     true,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Transfer-Encoding: gzip, chunked", ""},
     "3\r\nabc"},
    // Hostile chunk sizes.
    {"chunk size of 17 digits",
     kChunked + "00000000000000005\r\nhello\r\n0\r\n\r\n",
     false,
     Expect::Failed,
     HttpReadError::BadChunkSize,
     {},
     ""},
    {"signed chunk size",
     kChunked + "+5\r\nhello\r\n0\r\n\r\n",
     false,
     Expect::Failed,
     HttpReadError::BadChunkSize,
     {},
     ""},
    {"negative chunk size",
     kChunked + "-5\r\nhello\r\n0\r\n\r\n",
     false,
     Expect::Failed,
     HttpReadError::BadChunkSize,
     {},
     ""},
    {"chunk size with 0x",
     kChunked + "0x5\r\nhello\r\n0\r\n\r\n",
     false,
     Expect::Failed,
     HttpReadError::BadChunkSize,
     {},
     ""},
    {"chunk size with extension",
     kChunked + "5;name=v\r\nhello\r\n0\r\n\r\n",
     false,
     Expect::Failed,
     HttpReadError::BadChunkSize,
     {},
     ""},
    {"blank inside chunk size", kChunked + "1 0\r\n", false, Expect::Failed, HttpReadError::BadChunkSize, {}, ""},
    {"empty chunk size line", kChunked + "\r\n", false, Expect::Failed, HttpReadError::BadChunkSize, {}, ""},
    {"largest 16 digit chunk size",
     kChunked + "FFFFFFFFFFFFFFFF\r\n",
     false,
     Expect::Failed,
     HttpReadError::BodyTooLarge,
     {},
     ""},
    {"chunk one byte over the body limit",
     kChunked + "1000001\r\n",
     false,
     Expect::Failed,
     HttpReadError::BodyTooLarge,
     {},
     ""},
    {"chunk data without its line end",
     kChunked + "5\r\nhello5\r\nworld\r\n0\r\n\r\n",
     false,
     Expect::Failed,
     HttpReadError::BadChunkSize,
     {},
     ""},
    {"end before the last chunk",
     kChunked + "5\r\nhello\r\n",
     true,
     Expect::Failed,
     HttpReadError::BadChunkSize,
     {},
     ""},
    {"end inside chunk data", kChunked + "5\r\nhel", true, Expect::Failed, HttpReadError::ConnectionReset, {}, ""},
    // Lines.
    {"garbage status line",
     "garbage\r\n\r\nbody",
     true,
     Expect::Complete,
     HttpReadError::None,
     {"garbage", ""},
     "body"},
    {"line feeds alone end lines",
     "HTTP/1.1 200 OK\nContent-Length: 2\n\nhi",
     false,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK", "Content-Length: 2", ""},
     "hi"},
    {"only the first carriage return of a line is dropped",
     "HTTP/1.1 200 OK\r\r\nX-A: a\rb\r\n\r\n",
     true,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200 OK\r", "X-A: ab\r", ""},
     ""},
    {"end inside the status line ends it",
     "HTTP/1.1 200",
     true,
     Expect::Complete,
     HttpReadError::None,
     {"HTTP/1.1 200", ""},
     ""},
    {"end before any byte", "", true, Expect::Complete, HttpReadError::None, {""}, ""},
    {"headers not finished yet",
     kOk + "Content-Le",
     false,
     Expect::StillReading,
     HttpReadError::None,
     {"HTTP/1.1 200 OK"},
     ""},
    {"bytes above 127 and NUL kept",
     std::string("HTTP/1.1 200 \xE9\0\r\n\r\n", 19),
     true,
     Expect::Complete,
     HttpReadError::None,
     {std::string("HTTP/1.1 200 \xE9\0", 15), ""},
     ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, HttpResponseReaderTest, ::testing::ValuesIn(kResponseCases), RowName<ResponseCase>);

// Limits: large inputs, so each is cut in a few telling places rather than everywhere.
struct LimitCase {
    const char* name;
    std::string bytes;
    bool connectionEnds;
    Expect state;
    HttpReadError error;
};

void PrintTo(const LimitCase& row, std::ostream* os) {
    *os << row.name;
}

class HttpResponseLimitTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(HttpResponseLimitTest, EndsInTheStatedResultWithBoundedMemory) {
    const LimitCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const std::size_t n = row.bytes.size();
    const std::vector<std::vector<std::size_t>> splits = {
        {}, {1}, {n / 2}, {n - 1}, {4093, 4094, 4095, 4096, 4097}, {8191, 8192}, {16, 32768, 65536}};
    for (const auto& cuts : splits) {
        std::vector<std::size_t> inRange;
        for (const std::size_t cut : cuts) {
            if (cut > 0 && cut < n && (inRange.empty() || cut > inRange.back()))
                inRange.push_back(cut);
        }
        const ReadResult result = ReadInPieces(row.bytes, inRange, row.connectionEnds);
        EXPECT_EQ(result.state, row.state);
        EXPECT_EQ(result.error, row.error);
        EXPECT_LE(result.body.size(), kMaxBodySize);
    }
}

std::string HeaderLineOf(std::size_t length) {
    return "X-Long: " + std::string(length - 8, 'v') + "\r\n";
}

std::string ManyHeaderLines(std::size_t count) {
    std::string lines;
    for (std::size_t i = 0; i < count; ++i)
        lines += "X-Header-" + std::to_string(i) + ": v\r\n";
    return lines;
}

const LimitCase kLimitCases[] = {
    {"header line of 4093 bytes", kOk + HeaderLineOf(4093) + "\r\n", true, Expect::Complete, HttpReadError::None},
    {"header line of 4094 bytes", kOk + HeaderLineOf(4094) + "\r\n", true, Expect::Failed, HttpReadError::LineTooLong},
    {"second carriage return kept within 4093", kOk + "X-Long: " + std::string(4084, 'v') + "\r\r\n\r\n", true,
     Expect::Complete, HttpReadError::None},
    {"second carriage return counted towards 4094", kOk + "X-Long: " + std::string(4084, 'v') + "\r\r\r\n\r\n", true,
     Expect::Failed, HttpReadError::LineTooLong},
    {"endless status line", std::string(1 << 20, 'H'), false, Expect::Failed, HttpReadError::LineTooLong},
    {"endless status line cut by the end", std::string(5000, 'H'), true, Expect::Failed, HttpReadError::LineTooLong},
    {"chunk size line too long", kChunked + std::string(5000, '0') + "\r\n", false, Expect::Failed,
     HttpReadError::LineTooLong},
    {"line after chunk data too long", kChunked + "1\r\na" + std::string(5000, ' ') + "\r\n", false, Expect::Failed,
     HttpReadError::LineTooLong},
    {"most header lines", kOk + ManyHeaderLines(kMaxHeaderLines - 2) + "\r\n", true, Expect::Complete,
     HttpReadError::None},
    {"one header line too many", kOk + ManyHeaderLines(kMaxHeaderLines - 1) + "\r\n", true, Expect::Failed,
     HttpReadError::TooManyHeaderLines},
    {"thousands of header lines", kOk + ManyHeaderLines(5000), false, Expect::Failed,
     HttpReadError::TooManyHeaderLines},
    {"header lines too large in all",
     [] {
         std::string lines = kOk;
         for (int i = 0; i < 70; ++i)
             lines += HeaderLineOf(4000);
         return lines;
     }(),
     false, Expect::Failed, HttpReadError::HeaderLinesTooLarge},
    {"body of exactly the limit", kOk + "Content-Length: 16777216\r\n\r\n" + std::string(kMaxBodySize, 'b'), false,
     Expect::Complete, HttpReadError::None},
    {"announced body over the limit", kOk + "Content-Length: 16777217\r\n\r\n", false, Expect::Failed,
     HttpReadError::BodyTooLarge},
    {"announced body of 30 digits", kOk + "Content-Length: 999999999999999999999999999999\r\n\r\n", false,
     Expect::Failed, HttpReadError::BodyTooLarge},
    {"body to the end at the limit", kOk + "\r\n" + std::string(kMaxBodySize, 'b'), true, Expect::Complete,
     HttpReadError::None},
    {"endless body", kOk + "\r\n" + std::string(kMaxBodySize + 1, 'b'), false, Expect::Failed,
     HttpReadError::BodyTooLarge},
    {"chunks adding up beyond the limit", kChunked + "800000\r\n" + std::string(0x800000, 'c') + "\r\n800001\r\n",
     false, Expect::Failed, HttpReadError::BodyTooLarge},
};

INSTANTIATE_TEST_SUITE_P(Cases, HttpResponseLimitTest, ::testing::ValuesIn(kLimitCases), RowName<LimitCase>);

TEST(HttpResponseReaderEnd, TakesNoBytesOnceFinished) {
    HttpResponseReader reader;
    const std::string response = kOk + "Content-Length: 1\r\n\r\nx";
    EXPECT_EQ(reader.Consume(response.data(), response.size()), response.size());
    ASSERT_TRUE(reader.Complete());
    EXPECT_EQ(reader.Consume("more", 4), 0u);
    reader.ConsumeEnd();
    EXPECT_TRUE(reader.Complete());
    EXPECT_EQ(reader.Body(), "x");
}

TEST(HttpResponseReaderBody, GivesBackTheRoomAnUnknownLengthLeftUnused) {
    // Just past the stepwise growth: room up to the limit was reserved, a sixteenth of it used.
    const std::string body(kStepwiseBodySize + 1, 'b');
    HttpResponseReader reader;
    const std::string response = kOk + "\r\n" + body;
    reader.Consume(response.data(), response.size());
    reader.ConsumeEnd();
    ASSERT_TRUE(reader.Complete());
    const std::string taken = reader.TakeBody();
    EXPECT_EQ(taken, body);
    EXPECT_LT(taken.capacity(), 2 * body.size());
}

TEST(HttpResponseReaderEnd, StaysFailed) {
    HttpResponseReader reader;
    const std::string response = kChunked + "zz\r\n";
    reader.Consume(response.data(), response.size());
    ASSERT_TRUE(reader.Failed());
    EXPECT_EQ(reader.Consume("0\r\n\r\n", 5), 0u);
    reader.ConsumeEnd();
    EXPECT_TRUE(reader.Failed());
    EXPECT_EQ(reader.Error(), HttpReadError::BadChunkSize);
}

TEST(HttpResponseReaderMessages, NameEachError) {
    EXPECT_EQ(HttpReadErrorMessage(HttpReadError::LineTooLong), "Buffer is full. Will disconnect.");
    EXPECT_EQ(HttpReadErrorMessage(HttpReadError::BadChunkSize), "Error receiving the stream");
    EXPECT_EQ(HttpReadErrorMessage(HttpReadError::ConnectionReset), "[10054] Connection reset by peer");
    EXPECT_EQ(HttpReadErrorMessage(HttpReadError::None), "");
    for (const auto error :
         {HttpReadError::TooManyHeaderLines, HttpReadError::HeaderLinesTooLarge, HttpReadError::BodyTooLarge})
        EXPECT_FALSE(HttpReadErrorMessage(error).empty());
}

}  // namespace
}  // namespace quillcrest
