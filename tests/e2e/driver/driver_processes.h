#pragma once

namespace quillcrest::driver {

// Processes that the end-to-end run starts other than from its shell, and their end. Windows hands the id of a
// process that ended to a later one, so a process is named by its id together with the moment it started: the
// creation time as a count of 100-nanosecond intervals, printed as "started=N".

// Starts EXE with the limited token linked to this process's full one, as Windows starts an administrator's
// programs that did not ask for elevation; prints "pid=", "started=" and whether its token is elevated
// ("elevated=").
int StartLimited(const char* exe);

// Starts EXE with the verb "runas" and PARAMETERS, asking for its windows hidden as the program's own launcher
// does (a program that starts it can ask that too); prints "pid=" and "started=" at once, then waits for it to
// end and prints its exit code ("exit="). 1 when it did not start or did not end in time.
int RunAs(const char* exe, const char* parameters, unsigned long timeoutMs);

// Prints "started=" of the process with the id while it runs the program named imageName (a file name such as
// "Quillcrest.exe", letter case aside). 1 when no such process runs.
int PrintProcessStart(unsigned long processId, const char* imageName);

// Ends the process with the id if it is still the one that started at `started`, and waits for it to be gone.
// 0 when no such process runs any more (also when it had ended before), 1 when it could not be ended.
int EndProcess(unsigned long processId, const char* started);

}  // namespace quillcrest::driver
