#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillcrest {

// Limits on what a server may make the client hold.
inline constexpr std::size_t kLineBufferSize = 4096;
// Bytes a line may keep (its line feed and first carriage return are not kept); one more is an error.
inline constexpr std::size_t kMaxLineLength = kLineBufferSize - 3;
inline constexpr std::size_t kMaxHeaderLines = 1000;
inline constexpr std::size_t kMaxHeaderBytes = 256 * 1024;
inline constexpr std::size_t kMaxBodySize = 16 * 1024 * 1024;
inline constexpr std::size_t kMaxChunkSizeDigits = 16;
// A body of unknown length (chunked or up to the end) grows step by step up to this size; beyond it, room up to
// kMaxBodySize is reserved at once. Room never written costs address space only, while every regrowth would copy
// the body and touch fresh pages.
inline constexpr std::size_t kStepwiseBodySize = 256 * 1024;

// Why a response could not be read.
enum class HttpReadError {
    None,
    LineTooLong,          // a line kept more than kMaxLineLength bytes before its line feed
    TooManyHeaderLines,   // more than kMaxHeaderLines status and header lines
    HeaderLinesTooLarge,  // status and header lines hold more than kMaxHeaderBytes in all
    BadChunkSize,         // a chunk size line that is not 1 to 16 hexadecimal digits
    BodyTooLarge,         // the body would grow beyond kMaxBodySize (announced or received)
    ConnectionReset,      // the connection ended before the announced bytes had arrived
};

// The message of the error that the client raises for a read error (None gives "").
std::string HttpReadErrorMessage(HttpReadError error);

// Reads one HTTP/1.1 response from bytes as they arrive, in pieces of any size: the status line and header
// lines up to the empty line, then the body, chunked (Transfer-Encoding "chunked" in any letter case), of the
// announced Content-Length (above 0), or up to the end of the connection. Holds no socket: the caller hands it
// what it received and tells it when the connection ended. Once complete or failed it stays so and takes no
// more bytes.
class HttpResponseReader {
  public:
    // Takes bytes that arrived; answers how many it used. Bytes after the end of the response are left over.
    std::size_t Consume(const char* data, std::size_t size);
    // The connection ended: ends the line being read and then the response, or fails.
    void ConsumeEnd();

    bool Complete() const { return state_ == State::Complete; }
    bool Failed() const { return state_ == State::Failed; }
    bool Finished() const { return Complete() || Failed(); }
    HttpReadError Error() const { return error_; }

    // The status line and header lines in arrival order, ending with the empty line once that has arrived.
    const std::vector<std::string>& HeaderLines() const { return headerLines_; }
    const std::string& Body() const { return body_; }
    std::vector<std::string> TakeHeaderLines() { return std::move(headerLines_); }
    // Hands the body over; room reserved for it and mostly left unused is given back first.
    std::string TakeBody();

  private:
    enum class State {
        HeaderLine,     // reading the status line or a header line
        ChunkSizeLine,  // reading the hexadecimal size of the next chunk
        ChunkData,      // reading the bytes of a chunk
        ChunkDataEnd,   // reading the line after a chunk's bytes; its content is ignored
        LastChunkEnd,   // reading the line after the zero-size chunk; its content is ignored
        LengthBody,     // reading the bytes Content-Length announced
        BodyToClose,    // reading everything up to the end of the connection
        Complete,       // the whole response has been read
        Failed,         // an error ended the reading; see error_
    };

    std::size_t ConsumeLineBytes(const char* data, std::size_t size);
    std::size_t ConsumeBodyBytes(const char* data, std::size_t size);
    void OnLine(std::string line);
    void OnHeaderLine(std::string line);
    void OnHeadersDone();
    void OnChunkSizeLine(const std::string& line);
    void Fail(HttpReadError error);
    void ReserveBodyRoom(std::size_t count);

    State state_ = State::HeaderLine;
    HttpReadError error_ = HttpReadError::None;
    std::string line_;
    bool lineCarriageReturnDropped_ = false;
    std::vector<std::string> headerLines_;
    std::size_t headerBytes_ = 0;
    std::uint64_t bytesLeft_ = 0;  // of the current chunk or of the announced length
    std::string body_;
};

}  // namespace quillcrest
