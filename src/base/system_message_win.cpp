#include "base/system_message_win.h"

#include <windows.h>

#include "base/win_handles_win.h"

namespace quillcrest {

namespace {

std::string FormatSystemMessage(DWORD code) {
    char* buffer = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    const UniqueLocal owner(buffer);
    if (length == 0 || buffer == nullptr)
        return std::string();
    std::string text(buffer, length);
    // Messages end with CR LF; the error report adds its own full stop and line layout.
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace

std::string SystemMessageText(std::uint32_t code) {
    std::string text = FormatSystemMessage(code);
    // Wrapped Win32 codes are often known to the message table only in their plain form.
    const auto result = static_cast<HRESULT>(code);
    if (text.empty() && HRESULT_FACILITY(result) == FACILITY_WIN32)
        text = FormatSystemMessage(HRESULT_CODE(result));
    return text;
}

}  // namespace quillcrest
