// Feeds the response reader arbitrary bytes in arbitrary pieces and checks that the pieces never change the
// outcome: the first byte chooses whether the connection ends afterwards and seeds the piece sizes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "http/http_header_lines.h"
#include "http/http_response_reader.h"

namespace {

struct Outcome {
    bool complete;
    bool failed;
    quillcrest::HttpReadError error;
    std::vector<std::string> headerLines;
    std::string body;

    bool operator==(const Outcome& o) const {
        return complete == o.complete && failed == o.failed && error == o.error && headerLines == o.headerLines &&
               body == o.body;
    }
};

Outcome Read(const std::string& bytes, std::uint8_t pieceSeed, bool connectionEnds) {
    quillcrest::HttpResponseReader reader;
    std::size_t pos = 0;
    std::uint32_t state = pieceSeed;
    while (pos < bytes.size()) {
        state = state * 1103515245u + 12345u;
        const std::size_t piece = pieceSeed == 0 ? bytes.size() : 1 + (state >> 16) % (pieceSeed + 1u);
        const std::size_t take = std::min(piece, bytes.size() - pos);
        const std::size_t used = reader.Consume(bytes.data() + pos, take);
        if (used > take)
            std::abort();
        if (used < take && !reader.Finished())
            std::abort();  // only a finished reader may leave bytes over
        pos += take;
    }
    if (connectionEnds)
        reader.ConsumeEnd();
    if (connectionEnds && !reader.Finished())
        std::abort();  // the end of the connection always settles the response
    if (reader.Body().size() > quillcrest::kMaxBodySize)
        std::abort();
    for (const std::string& line : reader.HeaderLines()) {
        if (line.size() > quillcrest::kMaxLineLength)
            std::abort();
    }
    return {reader.Complete(), reader.Failed(), reader.Error(), reader.HeaderLines(), reader.Body()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const bool connectionEnds = (data[0] & 1) != 0;
    const std::uint8_t pieceSeed = data[1];
    const std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);

    const Outcome whole = Read(bytes, 0, connectionEnds);
    const Outcome pieces = Read(bytes, pieceSeed, connectionEnds);
    const Outcome smallPieces = Read(bytes, 1, connectionEnds);
    if (!(whole == pieces) || !(whole == smallPieces))
        std::abort();

    if (!whole.headerLines.empty()) {
        quillcrest::StatusCodeOf(whole.headerLines.front());
        quillcrest::HeaderValue(whole.headerLines, "Content-Length");
    }
    return 0;
}
