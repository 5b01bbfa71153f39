#include "http/http_response_reader.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "base/ascii_case.h"
#include "http/http_header_lines.h"
#include "http/socket_error.h"
#include "settings/decimal_text.h"

namespace quillcrest {
namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';

// 1 to kMaxChunkSizeDigits hexadecimal digits and nothing else: no sign, no "0x", no extension.
std::optional<std::uint64_t> ParseChunkSize(const std::string& text) {
    if (text.empty() || text.size() > kMaxChunkSizeDigits)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * 16 + digit;  // 16 digits fill 64 bits exactly: no overflow
    }
    return value;
}

// The announced length as a number, or -1 when the value is missing or not a number.
long long ContentLengthOf(const std::string& value) {
    return ParseDecimal(value).value_or(-1);
}

}  // namespace

std::string HttpReadErrorMessage(HttpReadError error) {
    switch (error) {
        case HttpReadError::None:
            return "";
        case HttpReadError::LineTooLong:
            return "Buffer is full. Will disconnect.";
        case HttpReadError::TooManyHeaderLines:
            return "Too many header lines. Will disconnect.";
        case HttpReadError::HeaderLinesTooLarge:
            return "Header lines too large. Will disconnect.";
        case HttpReadError::BadChunkSize:
            return "Error receiving the stream";
        case HttpReadError::BodyTooLarge:
            return "Response body too large. Will disconnect.";
        case HttpReadError::ConnectionReset:
            return SocketErrorMessage(kConnectionResetCode);
    }
    return "";
}

std::size_t HttpResponseReader::Consume(const char* data, std::size_t size) {
    std::size_t used = 0;
    while (used < size && !Finished()) {
        switch (state_) {
            case State::HeaderLine:
            case State::ChunkSizeLine:
            case State::ChunkDataEnd:
            case State::LastChunkEnd:
                used += ConsumeLineBytes(data + used, size - used);
                break;
            case State::ChunkData:
            case State::LengthBody:
            case State::BodyToClose:
                used += ConsumeBodyBytes(data + used, size - used);
                break;
            case State::Complete:
            case State::Failed:
                break;
        }
    }
    return used;
}

void HttpResponseReader::ConsumeEnd() {
    // Each step either finishes or moves to a state that the end of the connection finishes, so this ends.
    while (!Finished()) {
        switch (state_) {
            case State::HeaderLine:
            case State::ChunkSizeLine:
            case State::ChunkDataEnd:
            case State::LastChunkEnd:
                // The end of the connection ends a line, even an empty one.
                OnLine(std::exchange(line_, std::string()));
                break;
            case State::ChunkData:
            case State::LengthBody:
                if (bytesLeft_ > 0)
                    Fail(HttpReadError::ConnectionReset);
                break;
            case State::BodyToClose:
                state_ = State::Complete;
                break;
            case State::Complete:
            case State::Failed:
                break;
        }
    }
}

std::size_t HttpResponseReader::ConsumeLineBytes(const char* data, std::size_t size) {
    // Never look further than one buffer ahead, so an endless line costs no more than one buffer.
    const std::size_t window = std::min(size, kLineBufferSize);
    const auto* lineFeed = static_cast<const char*>(std::memchr(data, kLineFeed, window));
    const std::size_t contentSize = lineFeed ? static_cast<std::size_t>(lineFeed - data) : window;
    const char* content = data;
    const char* const contentEnd = data + contentSize;
    // The first carriage return of a line is dropped, wherever it stands; later ones are kept.
    if (!lineCarriageReturnDropped_) {
        if (const auto* carriageReturn = static_cast<const char*>(std::memchr(content, kCarriageReturn, contentSize))) {
            line_.append(content, carriageReturn);
            content = carriageReturn + 1;
            lineCarriageReturnDropped_ = true;
        }
    }
    line_.append(content, contentEnd);
    if (line_.size() > kMaxLineLength) {
        Fail(HttpReadError::LineTooLong);
        return contentSize;
    }
    if (!lineFeed)
        return contentSize;
    OnLine(std::exchange(line_, std::string()));
    return contentSize + 1;
}

std::size_t HttpResponseReader::ConsumeBodyBytes(const char* data, std::size_t size) {
    std::size_t take = size;
    if (state_ != State::BodyToClose)
        take = static_cast<std::size_t>(std::min<std::uint64_t>(size, bytesLeft_));
    if (take > kMaxBodySize - body_.size()) {
        Fail(HttpReadError::BodyTooLarge);
        return size;
    }
    ReserveBodyRoom(take);
    body_.append(data, take);
    if (state_ == State::BodyToClose)
        return take;
    bytesLeft_ -= take;
    if (bytesLeft_ == 0)
        state_ = state_ == State::ChunkData ? State::ChunkDataEnd : State::Complete;
    return take;
}

void HttpResponseReader::ReserveBodyRoom(std::size_t count) {
    const std::size_t needed = body_.size() + count;
    if (needed <= body_.capacity() || needed <= kStepwiseBodySize)
        return;
    // Announced lengths were reserved when announced; only bodies of unknown length get here.
    body_.reserve(kMaxBodySize);
}

std::string HttpResponseReader::TakeBody() {
    if (body_.size() < body_.capacity() / 4)
        body_.shrink_to_fit();
    return std::move(body_);
}

void HttpResponseReader::OnLine(std::string line) {
    lineCarriageReturnDropped_ = false;
    switch (state_) {
        case State::HeaderLine:
            OnHeaderLine(std::move(line));
            break;
        case State::ChunkSizeLine:
            OnChunkSizeLine(line);
            break;
        case State::ChunkDataEnd:
            state_ = State::ChunkSizeLine;
            break;
        case State::LastChunkEnd:
            state_ = State::Complete;
            break;
        default:
            break;
    }
}

void HttpResponseReader::OnHeaderLine(std::string line) {
    headerBytes_ += line.size();
    const bool last = line.empty();
    headerLines_.push_back(std::move(line));
    if (headerLines_.size() > kMaxHeaderLines)
        return Fail(HttpReadError::TooManyHeaderLines);
    if (headerBytes_ > kMaxHeaderBytes)
        return Fail(HttpReadError::HeaderLinesTooLarge);
    if (last)
        OnHeadersDone();
}

void HttpResponseReader::OnHeadersDone() {
    if (AsciiLowerCase(HeaderValue(headerLines_, "Transfer-Encoding")) == "chunked") {
        state_ = State::ChunkSizeLine;
        return;
    }
    const long long length = ContentLengthOf(HeaderValue(headerLines_, "Content-Length"));
    if (length <= 0) {
        state_ = State::BodyToClose;
        return;
    }
    if (static_cast<unsigned long long>(length) > kMaxBodySize)
        return Fail(HttpReadError::BodyTooLarge);
    bytesLeft_ = static_cast<std::uint64_t>(length);
    body_.reserve(static_cast<std::size_t>(length));
    state_ = State::LengthBody;
}

void HttpResponseReader::OnChunkSizeLine(const std::string& line) {
    const auto size = ParseChunkSize(TrimBlanksAndControls(line));
    if (!size)
        return Fail(HttpReadError::BadChunkSize);
    if (*size > kMaxBodySize - body_.size())
        return Fail(HttpReadError::BodyTooLarge);
    bytesLeft_ = *size;
    state_ = *size > 0 ? State::ChunkData : State::LastChunkEnd;
}

void HttpResponseReader::Fail(HttpReadError error) {
    state_ = State::Failed;
    error_ = error;
}

}  // namespace quillcrest
