#pragma once

#include "resolution/adapter_dns_source_win.h"
#include "resolution/hosts_file_access_win.h"
#include "resolution/registry_tree_win.h"
#include "resolution/resolution_reader.h"

namespace quillcrest {

// The reader over the running Windows: what the owner keeps for the whole run and calls at each check.
//   SystemResolutionReader reader;
//   ResolutionSettings now = reader.ReadAll();                 // cheap when nothing changed
//   reader.NoteHostsFolderChanged();                           // from the hosts folder's notification
// One object serves one thread (NoteHostsFolderChanged excepted).
class SystemResolutionReader {
  public:
    SystemResolutionReader() : reader_({registry_, adapters_, files_}) {}
    SystemResolutionReader(const SystemResolutionReader&) = delete;
    SystemResolutionReader& operator=(const SystemResolutionReader&) = delete;

    ResolutionSettings ReadAll() { return reader_.ReadAll(); }
    void NoteHostsFolderChanged() { reader_.NoteHostsFolderChanged(); }

  private:
    Win32RegistryTree registry_;
    Win32AdapterDnsSource adapters_;
    Win32HostsFileAccess files_;
    ResolutionReader reader_;
};

}  // namespace quillcrest
