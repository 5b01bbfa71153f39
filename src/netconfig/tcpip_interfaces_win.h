#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quillcrest {

// HKLM "SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces": one subkey per interface identifier.
extern const char* const kTcpipInterfacesKey;

// Replaces out with the identifiers of every interface the TCP/IP configuration knows, in the order the
// registry lists them. Failures are silent: out keeps what was read before the failure.
void GetTcpipInterfaces(std::vector<std::string>& out);
// The same for any key: the names of its direct subkeys.
void GetTcpipInterfaces(HKEY root, const std::string& path, std::vector<std::string>& out);

}  // namespace quillcrest
