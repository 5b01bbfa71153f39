#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "resolution/sha256.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

// The example messages of FIPS 180-2 and their digests, plus the block boundaries where the padding changes.
struct DigestRow {
    const char* name;
    std::string message;
    const char* digest;
};

const DigestRow kDigestRows[] = {
    {"Empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"Abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"Two_blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"Fifty_five_bytes_pad_in_one_block", std::string(55, 'a'),
     "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
    {"Fifty_six_bytes_pad_into_a_second_block", std::string(56, 'a'),
     "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
    {"One_million_a", std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

// Failures name the row rather than dump its bytes.
void PrintTo(const DigestRow& row, std::ostream* out) {
    *out << row.name;
}

class ResolutionSha256Test : public ::testing::TestWithParam<DigestRow> {};

TEST_P(ResolutionSha256Test, DigestOfTheWholeAndOfPiecesAgree) {
    const DigestRow& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Sha256Hex(row.message), row.digest);
    // Pieces of odd sizes cross every block boundary at a different place.
    for (std::size_t pieceSize : {1u, 7u, 63u, 64u, 65u, 1000u}) {
        Sha256 hash;
        for (std::size_t at = 0; at < row.message.size(); at += pieceSize)
            hash.Update(std::string_view(row.message).substr(at, pieceSize));
        EXPECT_EQ(DigestHex(hash.Finish()), row.digest) << "pieces of " << pieceSize;
    }
}

INSTANTIATE_TEST_SUITE_P(Messages, ResolutionSha256Test, ::testing::ValuesIn(kDigestRows), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

}  // namespace
}  // namespace quillcrest
