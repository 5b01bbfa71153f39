#pragma once

#include <windows.h>

#include <string>

#include "elevation/file_security.h"

namespace quillcrest {

// The owner and DACL of a file or folder (GetNamedSecurityInfoW). A path whose descriptor cannot be read gives
// a FileSecurity that says so.
FileSecurity ReadFileSecurity(const std::wstring& path);

// The owner and DACL of a descriptor in memory, as ReadFileSecurity puts them into the portable form. Allowed
// and denied entries keep their SID; entries of any other type keep their type, flags and mask only.
FileSecurity FileSecurityOf(PSECURITY_DESCRIPTOR descriptor);

}  // namespace quillcrest
