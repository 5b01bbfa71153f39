#include "widgets/link_opener_win.h"

#include <shellapi.h>

#include "widgets/link_address.h"

namespace quillcrest {

bool OpenLinkInBrowser(HWND owner, const std::string& address, const LinkLauncher& launch) {
    if (!IsOpenableLink(address) || !launch)
        return false;
    launch(owner, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
}

bool OpenLinkInBrowser(HWND owner, const std::string& address) {
    return OpenLinkInBrowser(owner, address, ::ShellExecuteA);
}

}  // namespace quillcrest
