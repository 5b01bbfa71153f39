#pragma once

namespace quillcrest {

// Who writes the DNS baseline's file. It decides what a later undo puts back, so it must be as hard to plant as the
// program itself: it lies in the program's folder, which an installation for all users lets only administrators
// change, and a process without their rights then has a copy of the program with them keep the current settings.
class DnsBaselineSaveRoute {
  public:
    virtual ~DnsBaselineSaveRoute() = default;
    // True when this process writes the file itself; otherwise KeepElsewhere keeps the settings.
    virtual bool WritesInProcess() = 0;
    // Has a process that may write the file read the current settings itself and keep them as the baseline (it
    // takes no data from this one). Raises with the reason when it did not.
    virtual void KeepElsewhere() = 0;
};

}  // namespace quillcrest
