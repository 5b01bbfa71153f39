#pragma once

#include <string>

namespace quillcrest {

// The folder part of a module path: everything up to and including the last "\" or ":", whichever comes later
// ("C:\Apps\ABC.EXE" gives "C:\Apps\", "C:ABC.EXE" gives "C:"). Empty when the path has neither.
std::string ExeDirOf(const std::string& modulePath);

}  // namespace quillcrest
