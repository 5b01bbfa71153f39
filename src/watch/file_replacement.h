#pragma once

#include <string>

#include "watch/file_system.h"

namespace quillcrest {

// The name of the temporary file that a replacement of path writes first, in the same folder.
std::string ReplacementFileName(const std::string& path);

// Makes the file at path hold exactly contents, or leaves it as it was: the bytes go to a temporary file in the
// same folder, which is flushed and then put in the place of the old file in one step (or renamed to path when
// there is no old file). On any failure the temporary file is removed and EFileError raised.
void ReplaceFileContents(FileSystem& files, const std::string& path, const std::string& contents);

}  // namespace quillcrest
