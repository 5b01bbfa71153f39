#pragma once

namespace quillcrest {

// Where DLLs that the program loads by name may come from, once PrepareSystemDllLoading has run.
enum class DllSearch {
    kSystemFolderOnly,         // the system folder and nothing else
    kWithoutCurrentDirectory,  // older systems: the current directory is no longer searched, the program's
                               // folder still is
    kUnchanged,                // the system's default search order
};

// Runs first in WinMain, before any delay-loaded DLL loads. A process with administrator rights must trust nothing
// others may write, and DLLs that are not KnownDLLs are otherwise searched for in the program's own folder and the
// current directory first: from here on every DLL loaded by name comes from the system folder only, and the
// delay-loaded DLLs are loaded from it at once, so that no later load by name can find another copy. A
// delay-loaded function the system lacks gets its stand-in (delay_load_stand_ins_win.h). Never raises.
DllSearch PrepareSystemDllLoading();

}  // namespace quillcrest
