#include "watch/dns_baseline.h"

#include "resolution/dns_baseline_file.h"
#include "watch/dns_baseline_storage.h"

namespace quillcrest {
namespace {

constexpr char kDamagedName[] = "DNSBaseline.txt.damaged";
constexpr char kReadAtStart[] = "For this run it compares with the settings it read at start.";

static_assert(sizeof(kDamagedName) == sizeof(kDnsBaselineFileName) + sizeof(kDamagedDnsBaselineSuffix) - 1,
              "the name the message gives is the one the file gets");

// A reason to go inside a sentence: the system's texts end with a full stop of their own.
std::string WithoutFinalStop(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string CouldNotUse(const std::string& reason) {
    return std::string("Quillcrest could not use the DNS settings it saved in ") + kDnsBaselineFileName + " (" +
           WithoutFinalStop(reason) + ")";
}

}  // namespace

DnsBaseline::DnsBaseline(FileSystem& files, const std::string& folder, DnsBaselineSaveRoute& saveRoute)
    : files_(files), path_(DnsBaselinePath(folder)), saveRoute_(saveRoute) {}

std::optional<std::string> DnsBaseline::Load(const ResolutionSettings& current) {
    const DnsBaselineReading reading = ReadStoredDnsBaseline(files_, path_);
    if (reading.status == DnsBaselineStatus::Read) {
        settings_ = reading.settings;
        stored_ = true;
        return std::nullopt;
    }
    settings_ = current;
    stored_ = false;
    const bool damaged = reading.status == DnsBaselineStatus::Damaged;
    damagedFileInPlace_ = damaged && files_.Exists(path_);
    if (!saveRoute_.WritesInProcess()) {
        // No consent prompt at start: the first "Keep", or Setup, stores one.
        if (!damaged)
            return std::nullopt;
        return CouldNotUse(reading.damage) + ", and only an administrator may replace them. " + kReadAtStart +
               " To save them, start Quillcrest once with \"Run as administrator\".";
    }
    std::string told = damaged ? CouldNotUse(reading.damage) : std::string();
    if (damagedFileInPlace_) {
        try {
            SetDamagedDnsBaselineAside(files_, path_);
        } catch (const EFileError& error) {
            // Kept where it is rather than written over.
            return told + ", nor set the file aside: " + WithoutFinalStop(error.what()) + ". " + kReadAtStart;
        }
        damagedFileInPlace_ = false;
        told += ". It kept the file as " + std::string(kDamagedName);
    }
    try {
        StoreDnsBaseline(files_, path_, current);
    } catch (const EFileError& error) {
        const std::string failure = WithoutFinalStop(error.what()) + ". " + kReadAtStart;
        if (damaged)
            return told + ", but could not save the current settings in its place: " + failure;
        return std::string("Quillcrest could not save the current DNS settings in ") + kDnsBaselineFileName + ": " +
               failure;
    }
    stored_ = true;
    if (!damaged)
        return std::nullopt;
    return told + " and saved the current settings in its place.";
}

void DnsBaseline::Keep(const ResolutionSettings& current) {
    settings_ = current;
    stored_ = false;
    if (saveRoute_.WritesInProcess()) {
        if (damagedFileInPlace_) {
            SetDamagedDnsBaselineAside(files_, path_);
            damagedFileInPlace_ = false;
        }
        StoreDnsBaseline(files_, path_, current);
        stored_ = true;
        return;
    }
    saveRoute_.KeepElsewhere();
    // That run read the settings itself, a moment after these were shown; what it stored is what counts now.
    damagedFileInPlace_ = false;
    stored_ = true;
    const DnsBaselineReading reading = ReadStoredDnsBaseline(files_, path_);
    if (reading.status == DnsBaselineStatus::Read)
        settings_ = reading.settings;
}

}  // namespace quillcrest
