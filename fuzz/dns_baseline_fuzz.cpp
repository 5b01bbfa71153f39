// Feeds arbitrary text to the baseline file reader and checks what must hold for every file: a damaged file
// says why and gives no settings, and a file that reads writes back to a text that reads to the same settings,
// which are no change against themselves.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "resolution/dns_baseline_file.h"
#include "resolution/resolution_comparison.h"

namespace {

using namespace quillcrest;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const DnsBaselineReading reading = ParseDnsBaseline(text);
    Require(reading.status != DnsBaselineStatus::NoBaseline);
    if (reading.status == DnsBaselineStatus::Damaged) {
        Require(!reading.damage.empty());
        Require(reading.settings == ResolutionSettings());
        return 0;
    }
    Require(reading.damage.empty());
    const std::string written = SerializeDnsBaseline(reading.settings);
    const DnsBaselineReading again = ParseDnsBaseline(written);
    Require(again.status == DnsBaselineStatus::Read);
    Require(again.settings == reading.settings);
    Require(SerializeDnsBaseline(again.settings) == written);
    Require(CompareResolutionSettings(reading.settings, again.settings).empty());
    return 0;
}
