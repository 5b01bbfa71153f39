// Feeds arbitrary bytes to the UTF-8/UTF-16 conversions that the elevated run's command line and every path of the
// program go through, read once as UTF-16 and once as UTF-8, and checks what must hold for every input: UTF-16
// comes back from its UTF-8 form unit for unit (lone surrogates included), a decoded text is stable, and an ASCII
// character appears on the other side exactly where one stood (no other character can pass for one).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/utf8_text.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::size_t AsciiCount(const std::string& text) {
    std::size_t count = 0;
    for (const char c : text)
        count += static_cast<unsigned char>(c) < 0x80 ? 1 : 0;
    return count;
}

std::size_t AsciiCount(const std::u16string& text) {
    std::size_t count = 0;
    for (const char16_t unit : text)
        count += unit < 0x80 ? 1 : 0;
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        wide += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    const std::string encoded = quillcrest::Utf8FromUtf16(wide);
    Require(quillcrest::Utf16FromUtf8(encoded) == wide);
    Require(AsciiCount(encoded) == AsciiCount(wide));

    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string decoded = quillcrest::Utf16FromUtf8(bytes);
    Require(quillcrest::Utf16FromUtf8(quillcrest::Utf8FromUtf16(decoded)) == decoded);
    Require(AsciiCount(decoded) == AsciiCount(bytes));
    return 0;
}
