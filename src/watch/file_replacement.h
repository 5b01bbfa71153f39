#pragma once

#include <string>

#include "watch/file_system.h"

namespace quillcrest {

// The name of the temporary file that a replacement of path writes first, in the same folder.
std::string ReplacementFileName(const std::string& path);

// Makes the file at path hold exactly contents, or leaves it as it was: the bytes go to a temporary file in the
// same folder, which is written, flushed and closed and only then renamed over path in one step. A process that
// dies at any moment leaves path whole, old or new. On any failure the temporary file is removed and EFileError
// raised.
void ReplaceFileContents(FileSystem& files, const std::string& path, const std::string& contents);

// Finishes or undoes a replacement of path that a dead process left behind; call it before path is read. The
// rename starts only after the temporary file is complete, so a temporary file without path is the complete new
// file, and it takes path's place. Beside path it may be a torn write, and it is removed. Raises EFileError when
// the rename fails.
void RecoverInterruptedReplacement(FileSystem& files, const std::string& path);

}  // namespace quillcrest
