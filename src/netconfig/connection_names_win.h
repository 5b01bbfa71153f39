#pragma once

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on

#include "netconfig/connection_names.h"
#include "netconfig/ip_helper_answer.h"

namespace quillcrest {

// The connection name (FriendlyName) of every adapter GetAdaptersAddresses lists, by its AdapterName (the braced
// GUID). Raises an Exception with the system's reason when the list cannot be read; a machine without adapters
// gives no names.
ConnectionNames ReadConnectionNames();

// The names in one answer of GetAdaptersAddresses. Only what lies inside the answer is read: an adapter whose
// name would reach outside it has no name, and the walk ends at a Next that leads outside it.
ConnectionNames ConnectionNamesInAnswer(IpHelperAnswer& answer);

}  // namespace quillcrest
