#pragma once

#include <cstdint>

#include "base/exception.h"
#include "startup/run_value_switch.h"

namespace quillcrest {

// The registry refused to write or delete the Run value; the message is the system's reason.
class ERunValueRefused : public Exception {
  public:
    ERunValueRefused(std::uint32_t code, const std::string& message) : Exception(message), code_(code) {}
    std::uint32_t code() const { return code_; }

  private:
    std::uint32_t code_;
};

// The "VORLANKE" value under the machine's Run key: the program starts with Windows when it names this
// executable (letter case and surrounding quotes aside).
bool StartsWithWindows();
// Whether the value exists at all, whatever it names.
bool StartWithWindowsValuePresent();
// Write the value naming this executable (never another path), or delete it when it exists; both raise
// ERunValueRefused with the system's reason when the registry refuses (an administrator who did not elevate has
// no rights on HKEY_LOCAL_MACHINE).
void RegisterStartWithWindows();
void UnregisterStartWithWindows();

// The same value through the RunValueStore seam of the monitor box's rules.
class SystemRunValueStore : public RunValueStore {
  public:
    bool NamesThisProgram() override { return StartsWithWindows(); }
    bool Present() override { return StartWithWindowsValuePresent(); }
    void Write() override { RegisterStartWithWindows(); }
    void Delete() override { UnregisterStartWithWindows(); }
};

}  // namespace quillcrest
