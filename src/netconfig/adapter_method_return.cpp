#include "netconfig/adapter_method_return.h"

namespace quillcrest {
namespace {

struct ReturnMeaning {
    std::uint32_t code;
    const char* text;
};

// The documented return values of the adapter configuration's methods.
constexpr ReturnMeaning kMeanings[] = {
    {64, "Method not supported on this platform"},
    {65, "Unknown failure"},
    {66, "Invalid subnet mask"},
    {67, "An error occurred while processing an instance that was returned"},
    {68, "Invalid input parameter"},
    {69, "More than five gateways specified"},
    {70, "Invalid IP address"},
    {71, "Invalid gateway IP address"},
    {72, "An error occurred while accessing the registry for the requested information"},
    {73, "Invalid domain name"},
    {74, "Invalid host name"},
    {75, "No primary or secondary WINS server defined"},
    {76, "Invalid file"},
    {77, "Invalid system path"},
    {78, "File copy failed"},
    {79, "Invalid security parameter"},
    {80, "Unable to configure TCP/IP service"},
    {81, "Unable to configure DHCP service"},
    {82, "Unable to renew DHCP lease"},
    {83, "Unable to release DHCP lease"},
    {84, "IP not enabled on adapter"},
    {85, "IPX not enabled on adapter"},
    {86, "Frame or network number bounds error"},
    {87, "Invalid frame type"},
    {88, "Invalid network number"},
    {89, "Duplicate network number"},
    {90, "Parameter out of bounds"},
    {91, "Access denied"},
    {92, "Out of memory"},
    {93, "Already exists"},
    {94, "Path, file or object not found"},
    {95, "Unable to notify service"},
    {96, "Unable to notify DNS service"},
    {97, "Interface not configurable"},
    {98, "Not all DHCP leases could be released or renewed"},
    {100, "DHCP not enabled on adapter"},
};

}  // namespace

bool AdapterMethodSucceeded(std::uint32_t returnCode) {
    return returnCode == kAdapterMethodDone || returnCode == kAdapterMethodDoneRestartNeeded;
}

std::string AdapterMethodReturnText(std::uint32_t returnCode) {
    for (const ReturnMeaning& meaning : kMeanings) {
        if (meaning.code == returnCode)
            return meaning.text;
    }
    if (returnCode == kAdapterMethodCallFailed)
        return "The adapter's configuration method failed";
    return "The adapter refused the change (code " + std::to_string(returnCode) + ")";
}

void AddAdapterMethodAnswer(DnsChangeOutcome& outcome, const std::string& settingId, std::uint32_t returnCode) {
    if (returnCode == kAdapterMethodDoneRestartNeeded)
        outcome.restartNeeded = true;
    else if (!AdapterMethodSucceeded(returnCode))
        outcome.refusals.push_back({settingId, returnCode, AdapterMethodReturnText(returnCode)});
}

}  // namespace quillcrest
