#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillcrest {

// SHA-256 (FIPS 180-4) over bytes fed in any number of pieces. A file too large to keep is compared by this
// digest, so an edit that someone made to look unchanged would have to find a collision of the hash.
class Sha256 {
  public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    void Update(std::string_view bytes);
    // The digest of everything fed so far; the object must not be fed afterwards.
    Digest Finish();

  private:
    void Compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t totalBytes_ = 0;
};

// The digest of bytes as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);
std::string DigestHex(const Sha256::Digest& digest);

}  // namespace quillcrest
