#pragma once

#include <string>

#include "resolution/undo_outcome.h"

namespace quillcrest {

// Makes the file at path (WTF-8) hold exactly bytes, in one step, keeping who owns it and who may do what with it:
// the bytes go to a new temporary file beside it, which is flushed, given the file's owner and DACL, closed, and
// renamed over it with MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), the one atomic replace.
// A file that does not exist yet is made with what its folder passes on to new files. On any failure the file is
// left untouched and no temporary file is left behind. A file another program holds open without sharing its
// deletion makes the rename fail (32, or 5 on some systems) and answers FileInUse; owner and DACL that cannot be
// read or set answer SecurityNotKept (a file whose security cannot be read because it is in use, FileInUse).
// Setting an owner other than the caller's takes SeRestorePrivilege, which is enabled for that call only where
// the first attempt is refused for it.
UndoItemOutcome ReplaceFileKeepingSecurity(const std::string& path, const std::string& bytes);

// Deletes the file at path; one that is not there is done. A file held open without sharing answers FileInUse.
UndoItemOutcome DeleteFileIfPresent(const std::string& path);

}  // namespace quillcrest
