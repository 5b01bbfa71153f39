#pragma once

#include <string>

#include "elevation/program_protection.h"

namespace quillcrest {

// The folder beside the program that the elevated run may write in (the allowed list), with its trailing
// separator. Only a protected program's: in a folder its user can change, a link planted there in place of the
// file, or of the temporary file the safe save writes first, would send a write with administrator rights anywhere
// the link points. The unelevated program never starts the run for a program that is not protected, so only
// another program asks this of one. Raises EProgramUnprotected with the reason when it is not protected, and when
// the program's path is unknown (never a file relative to the working directory, which whoever started the run
// chose).
std::string ProtectedProgramFolder(const std::string& programPath, ProgramProtection& protection);

}  // namespace quillcrest
