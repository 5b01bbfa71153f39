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

// Errors of the call that mean the method is not there: what the scripting layer answers for a name it does not
// know (DISP_E_UNKNOWNNAME from GetIDsOfNames) or a member it cannot find (DISP_E_MEMBERNOTFOUND), and what WMI
// answers when a method cannot be found (WBEM_E_NOT_FOUND from GetMethod), is not available (WBEM_E_INVALID_METHOD
// from ExecMethod), is not marked implemented in any class (WBEM_E_METHOD_NOT_IMPLEMENTED), is marked disabled
// (WBEM_E_METHOD_DISABLED), or is an operation the service does not support (WBEM_E_NOT_SUPPORTED, E_NOTIMPL).
constexpr std::uint32_t kMethodMissingErrors[] = {
    0x80020006,  // DISP_E_UNKNOWNNAME
    0x80020003,  // DISP_E_MEMBERNOTFOUND
    0x80041002,  // WBEM_E_NOT_FOUND
    0x8004102E,  // WBEM_E_INVALID_METHOD
    0x80041055,  // WBEM_E_METHOD_NOT_IMPLEMENTED
    0x80041056,  // WBEM_E_METHOD_DISABLED
    0x8004100C,  // WBEM_E_NOT_SUPPORTED
    0x80004001,  // E_NOTIMPL
};

}  // namespace

std::uint32_t RefusalCodeForCallError(std::uint32_t errorCode) {
    for (const std::uint32_t missing : kMethodMissingErrors) {
        if (missing == errorCode)
            return kAdapterMethodMissing;
    }
    return kAdapterMethodCallFailed;
}

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
    if (returnCode == kAdapterMethodMissing)
        return "Windows could not change them, because the method is not available on this system";
    return "The adapter refused the change (code " + std::to_string(returnCode) + ")";
}

void AddAdapterMethodAnswer(DnsChangeOutcome& outcome, const std::string& settingId, std::uint32_t returnCode) {
    if (returnCode == kAdapterMethodDoneRestartNeeded)
        outcome.restartNeeded = true;
    else if (!AdapterMethodSucceeded(returnCode))
        outcome.refusals.push_back({settingId, returnCode, AdapterMethodReturnText(returnCode)});
}

}  // namespace quillcrest
