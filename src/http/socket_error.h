#pragma once

#include <string>

#include "base/exception.h"

namespace quillcrest {

// The message for a Windows Sockets or name-lookup error code: "[code] description" for the codes the table
// knows, "Winsock error no code" for the others. Code 10000, the base of the Winsock range, reads "[0] No Error".
std::string SocketErrorMessage(int code);

// A failed socket operation or name lookup; every socket implementation reports its failures with the Windows
// Sockets code, so the message is the same on every platform.
class ESocketError : public Exception {
  public:
    explicit ESocketError(int code) : Exception(SocketErrorMessage(code)), code_(code) {}
    int code() const { return code_; }

  private:
    int code_;
};

// Windows Sockets codes that portable code names.
inline constexpr int kConnectionResetCode = 10054;  // WSAECONNRESET
inline constexpr int kHostNotFoundCode = 11001;     // WSAHOST_NOT_FOUND

}  // namespace quillcrest
