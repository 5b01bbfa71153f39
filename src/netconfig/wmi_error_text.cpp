#include "netconfig/wmi_error_text.h"

#include <cstdio>

namespace quillcrest {
namespace {

constexpr std::size_t kHexDigits = 8;
constexpr const char* kUnknownFailure = "Unknown failure";

struct WbemCodeText {
    std::uint32_t code;
    const char* text;
};

// WMI's own failure codes that this program can run into: connecting, querying, reading properties and
// calling methods on the local computer. Codes of schema editing and event subscription are left out and
// fall back to the system's text.
constexpr WbemCodeText kWbemCodeTexts[] = {
    {0x80041001, "Generic failure"},
    {0x80041002, "The object or property was not found"},
    {0x80041003, "Access denied: the current user may not perform this operation"},
    {0x80041004, "A WMI provider failed after it was initialized"},
    {0x80041005, "A value has a type that does not match what was expected"},
    {0x80041006, "Not enough memory to complete the operation"},
    {0x80041007, "The context object passed to WMI is not valid"},
    {0x80041008, "A parameter of the call is not valid"},
    {0x80041009, "The resource, usually a remote server, is not available at the moment"},
    {0x8004100A, "WMI met an internal, critical and unexpected error"},
    {0x8004100B, "Network data was corrupted during a remote session"},
    {0x8004100C, "The feature or operation is not supported"},
    {0x8004100E, "The namespace does not exist"},
    {0x8004100F, "The instance is not valid"},
    {0x80041010, "The class does not exist or is not valid"},
    {0x80041011, "The provider named in the schema is not registered"},
    {0x80041012, "The provider named in the schema has an incorrect or incomplete registration"},
    {0x80041013, "COM could not load the provider named in the schema"},
    {0x80041014, "A component such as a provider failed to initialize"},
    {0x80041015, "A network error prevents normal operation"},
    {0x80041016, "The requested operation is not valid"},
    {0x80041017, "The query is not valid WQL"},
    {0x80041018, "The query language is not supported"},
    {0x8004101D, "The calls were made in an unexpected order"},
    {0x8004101E, "The operation is not allowed"},
    {0x80041021, "The query or object path has a syntax error"},
    {0x80041023, "The property is read-only"},
    {0x80041024, "The provider cannot perform the requested operation"},
    {0x80041027, "The query is not implemented by the provider"},
    {0x8004102B, "A value is outside its permitted range"},
    {0x8004102E, "The method does not exist or is not valid"},
    {0x8004102F, "The parameters of the method call are not valid"},
    {0x80041031, "The property does not exist or is not valid"},
    {0x80041032, "The call was cancelled"},
    {0x80041033, "WMI is shutting down"},
    {0x8004103A, "The object path is not valid"},
    {0x80041045, "The WMI service is too busy to handle the request"},
    {0x80041055, "The provider does not implement this method"},
    {0x80041056, "The method is disabled for this class"},
    {0x80041058, "The query cannot be parsed"},
    {0x80041062, "The user does not hold a privilege that the operation requires"},
    {0x80041069, "The operation timed out"},
    {0x8004106C, "A WMI quota was exceeded"},
    {0x80041071, "The connection to WMI failed"},
    {0x80041087, "The connection must be encrypted"},
    {0x80041088, "The provider did not answer in time"},
    {0x8004108A, "The provider is disabled"},
};

}  // namespace

std::string HexCode(std::uint32_t code) {
    char digits[kHexDigits + 1];
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(code));
    return std::string(digits, kHexDigits);
}

const char* WbemErrorDescription(std::uint32_t code) {
    for (const WbemCodeText& entry : kWbemCodeTexts) {
        if (entry.code == code)
            return entry.text;
    }
    return nullptr;
}

std::string FormatWmiError(std::uint32_t code, const SystemMessageLookup& systemMessage) {
    std::string description;
    if (const char* own = WbemErrorDescription(code))
        description = own;
    else if (systemMessage)
        description = systemMessage(code);
    if (description.empty())
        description = kUnknownFailure;
    return HexCode(code) + ": " + description;
}

}  // namespace quillcrest
