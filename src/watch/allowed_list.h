#pragma once

#include <string>
#include <vector>

#include "base/ascii_case.h"
#include "base/text_equality.h"
#include "watch/allowed_list_save_route.h"
#include "watch/file_system.h"

namespace quillcrest {

// The DNS server lists the user has accepted, in the order accepted, duplicates kept, held in memory and in the
// file "AllowedDNS.txt" of the program's folder, which all users of the machine share.
//
// The entries of the file are never lost to a failed read: until the file has been read, a save first reads it
// again and keeps its lines ahead of the lists accepted in this run, and raises rather than write over a file it
// cannot read.
class AllowedList {
  public:
    static constexpr char kFileName[] = "AllowedDNS.txt";

    // folder ends in its separator. equal decides whether an entry matches a list (the user's locale on Windows).
    // saveRoute decides at each save whether this process writes the file; without one it always does.
    AllowedList(FileSystem& files,
                const std::string& folder,
                TextEquality equal = EqualIgnoringAsciiCase,
                AllowedListSaveRoute* saveRoute = nullptr);

    const std::string& path() const { return path_; }
    const std::vector<std::string>& entries() const { return entries_; }

    // Replaces the entries with the file's lines; no file gives no entries. A save that a dead process left half
    // done is finished or undone first (RecoverInterruptedReplacement): a new file cut short is kept aside and
    // gives no entries. Raises EFileError when the file is there but cannot be read, leaving the list empty and the
    // file's entries still to be read.
    void Load();
    // True when an entry equals dnsList as whole texts, blanks significant.
    bool Contains(const std::string& dnsList) const;
    // Appends dnsList and writes every entry over the file in one step. Raises EFileError when the file cannot
    // be read or written; dnsList then stays accepted in memory, and the next save tries again.
    // Where the save route writes elsewhere, dnsList is appended in memory and handed to it instead; when that
    // raises, the error passes on and dnsList stays accepted for this run only.
    void AddDNSToGoodList(const std::string& dnsList);

  private:
    void RecoverInterruptedSave();

    FileSystem& files_;
    std::string path_;
    TextEquality equal_;
    AllowedListSaveRoute* saveRoute_;
    std::vector<std::string> entries_;
    bool fileRead_ = false;
};

}  // namespace quillcrest
