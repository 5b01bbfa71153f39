#pragma once

#include <string>

namespace quillcrest {

// Who writes the allowed list's file. It lies in the program's folder, which an installation for all users lets
// only administrators change; a process without their rights then has a copy of the program with them append
// each list it accepts, and keeps the list in memory itself.
class AllowedListSaveRoute {
  public:
    virtual ~AllowedListSaveRoute() = default;
    // True when this process writes the file itself; otherwise AppendElsewhere does the save.
    virtual bool WritesInProcess() = 0;
    // Has a process that may write the file append dnsList to it. Raises with the reason when it did not.
    virtual void AppendElsewhere(const std::string& dnsList) = 0;
};

}  // namespace quillcrest
