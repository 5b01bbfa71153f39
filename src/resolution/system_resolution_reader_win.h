#pragma once

#include "resolution/adapter_dns_source_win.h"
#include "resolution/hosts_file_access_win.h"
#include "resolution/registry_tree_win.h"
#include "resolution/resolution_reader.h"

namespace quillcrest {

// The reader over the running Windows: what the owner keeps for the whole run and calls at each check.
//   SystemResolutionReader reader;
//   // At start: the baseline (dns_baseline_file.h), read through the program's file functions.
//   DnsBaselineReading baseline = ParseDnsBaseline(files.ReadWhole(DnsBaselinePath(folder)));
//   //   NoBaseline: take one; Damaged: move the file to its name + kDamagedDnsBaselineSuffix, take one.
//   //   Taking one: ReplaceFileContents(files, path, SerializeDnsBaseline(reader.ReadAll())).
//   // At each check (timer, registry notification of ResolutionWatchedKeys(), hosts folder notification):
//   ResolutionSettings now = reader.ReadAll();                 // cheap when nothing changed
//   for (const ResolutionDifference& d : CompareResolutionSettings(baseline.settings, now))
//       ... DescribeDifference(d) ...                          // one line each for the alert
//   // From the FolderChangeNotification on HostsFolder(now.hosts) (any thread):
//   reader.NoteHostsFolderChanged();
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
