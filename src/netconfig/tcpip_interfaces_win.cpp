#include "netconfig/tcpip_interfaces_win.h"

#include "base/win_handles_win.h"

namespace quillcrest {
namespace {

// Registry key names are at most 255 characters; one more for the NUL.
constexpr DWORD kKeyNameBufferChars = 256;

}  // namespace

const char* const kTcpipInterfacesKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";

void GetTcpipInterfaces(HKEY root, const std::string& path, std::vector<std::string>& out) {
    out.clear();
    try {
        UniqueKey key;
        if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
            return;
        for (DWORD index = 0;; ++index) {
            char name[kKeyNameBufferChars];
            DWORD length = kKeyNameBufferChars;
            if (::RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                return;
            out.emplace_back(name, length);
        }
    } catch (...) {
        // Running out of memory for the list leaves it partly filled, like any other failure here.
    }
}

void GetTcpipInterfaces(std::vector<std::string>& out) {
    GetTcpipInterfaces(HKEY_LOCAL_MACHINE, kTcpipInterfacesKey, out);
}

}  // namespace quillcrest
