#pragma once

#include <cstdint>
#include <string>

#include "base/exception.h"

namespace quillcrest {

// A failed COM call outside the WMI query layer (the DNS change path).
class EComError : public Exception {
  public:
    EComError(std::uint32_t code, const std::string& message) : Exception(message), code_(code) {}

    // The HRESULT, kept so that callers can tell failures apart without parsing the message.
    std::uint32_t code() const { return code_; }

  private:
    std::uint32_t code_;
};

}  // namespace quillcrest
