#include "netconfig/hresult_check_win.h"

#include <cstdint>

#include "netconfig/com_error.h"
#include "netconfig/com_error_text.h"
#include "base/system_message_win.h"
#include "netconfig/wmi_error.h"
#include "netconfig/wmi_error_text.h"

namespace quillcrest {

void RaiseWmiError(HRESULT result) {
    throw EWmiError(FormatWmiError(static_cast<std::uint32_t>(result), SystemMessageText));
}

void CheckWmi(HRESULT result) {
    if (FAILED(result))
        RaiseWmiError(result);
}

void RaiseComError(HRESULT result) {
    const auto code = static_cast<std::uint32_t>(result);
    throw EComError(code, ComFailureText(code, SystemMessageText));
}

void CheckCom(HRESULT result) {
    if (FAILED(result))
        RaiseComError(result);
}

}  // namespace quillcrest
