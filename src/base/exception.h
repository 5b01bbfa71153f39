#pragma once

#include <stdexcept>
#include <string>

namespace quillcrest {

// Root of the program's own failures. Handlers at window and dialog boundaries catch std::exception and show
// what() in the general error report.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace quillcrest
