#pragma once

#include <functional>
#include <string>

#include "watch/file_system.h"

namespace quillcrest {

// The name of the temporary file that a replacement of path writes first, in the same folder.
std::string ReplacementFileName(const std::string& path);
// The name a temporary file that was cut short is kept under, in the same folder, for whoever wants to see what
// it held: path + ".incomplete". Each one found replaces the one before.
std::string IncompleteReplacementFileName(const std::string& path);

// Tells whether the contents of a temporary file are whole, as the writer's format shows it.
using WholeContentsCheck = std::function<bool(const std::string& contents)>;

// Makes the file at path hold exactly contents, or leaves it as it was: the bytes go to a temporary file in the
// same folder, which is written, flushed and closed and only then renamed over path in one step. A process that
// dies at any moment leaves path whole, old or new. On any failure the temporary file is removed and EFileError
// raised.
void ReplaceFileContents(FileSystem& files, const std::string& path, const std::string& contents);

// Finishes or undoes a replacement of path that a dead process left behind; call it before path is read. Beside
// path the temporary file may be a torn write, and it is removed. Without path it is the first replacement's: the
// rename starts only once the file was flushed, but a power loss before the flush reached the disk leaves it
// cut short all the same. So it takes path's place only when isWhole says its contents are whole; otherwise it is
// moved to IncompleteReplacementFileName(path) and path stays missing. Raises EFileError when the temporary file
// cannot be read or moved.
void RecoverInterruptedReplacement(FileSystem& files, const std::string& path, const WholeContentsCheck& isWhole);

}  // namespace quillcrest
