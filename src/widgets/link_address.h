#pragma once

#include <string>

namespace quillcrest {

// Whether a link from a page may be handed to the browser: only web addresses ("http://" or "https://", any letter
// case) naming a host, with no blank, control character or quote anywhere. Pages shown by the program carry text
// from the network, and the shell would start anything else it is given (a file: address of a program, a bare
// program path, a UNC path), so everything else is refused.
bool IsOpenableLink(const std::string& address);

}  // namespace quillcrest
