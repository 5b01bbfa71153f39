#pragma once

#include <windows.h>
#include <wbemidl.h>
#include <wrl/client.h>

namespace quillcrest {

// Raises the caller's kind of error for a failing HRESULT; never returns.
using WmiFailureRaiser = void (*)(HRESULT result);

// Connects to WMI's "root\cimv2" namespace on the local computer through the WMI locator class, under the current
// user's identity, with the proxy set to impersonate. raise is called with the HRESULT of a failing step.
Microsoft::WRL::ComPtr<IWbemServices> ConnectToLocalCimv2(WmiFailureRaiser raise);

// The connection to WMI's "root\cimv2" namespace on the local computer, under the current user's identity.
// It is made by the first query that needs it and then kept for the rest of the run.
class WmiConnection {
  public:
    WmiConnection() = default;
    WmiConnection(const WmiConnection&) = delete;
    WmiConnection& operator=(const WmiConnection&) = delete;

    // Connects when not yet connected; raises EWmiError when WMI cannot be reached.
    IWbemServices* services();
    bool connected() const { return services_ != nullptr; }

  private:
    Microsoft::WRL::ComPtr<IWbemServices> services_;
};

}  // namespace quillcrest
