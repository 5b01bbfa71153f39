#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "resolution/adapter_dns_source.h"
#include "resolution/hosts_file_access.h"
#include "resolution/registry_tree.h"
#include "resolution/resolution_settings.h"

namespace quillcrest {

// The folder of the hosts file when "DataBasePath" is missing or is no text.
constexpr char kDefaultHostsFolder[] = "%SystemRoot%\\System32\\drivers\\etc";
constexpr char kHostsFileName[] = "hosts";

// The hosts file's full path as Windows takes it from the "Tcpip\Parameters" store (see ResolutionReader);
// nullopt when it cannot be told: the key could not be read, or its environment strings not expanded.
std::optional<std::string> HostsFilePathOf(const RegistryStoreSnapshot& tcpipParameters, HostsFileAccess& files);
// The same, reading the store's key from the registry now.
std::optional<std::string> HostsFilePathNow(RegistryTree& registry, HostsFileAccess& files);

// Reads every source of the model: the adapters, each registry store (registry_stores.h) and the hosts file.
// Nothing it meets makes the whole read fail: a missing key is Absent, a key that exists but cannot be read is
// Unreadable (and stands for all beneath it), a file that cannot be read is Unreadable.
//
// The hosts file may be several MB: it is read again only when its path, size or last write time differ from
// the last read, or when NoteHostsFolderChanged was called since; otherwise the content of the last read is
// handed on as it is (shared, never copied). A file over kHostsFileParseLimit bytes is hashed, never parsed.
// Its folder comes from "DataBasePath" (REG_EXPAND_SZ or REG_SZ, environment strings expanded either way);
// a missing value, or one of another type, means kDefaultHostsFolder. When the key holding it cannot be read,
// the hosts file is Unreadable, with no path.
//
// Not for use from several threads at once, except NoteHostsFolderChanged, which any thread may call.
class ResolutionReader {
  public:
    struct Platform {
        RegistryTree& registry;
        AdapterDnsSource& adapters;
        HostsFileAccess& files;
    };

    explicit ResolutionReader(Platform platform);

    ResolutionSettings ReadAll();

    // The hosts file's folder signalled a change: the next ReadAll reads the file again whatever its size and
    // time say (a write within the file system's time granularity keeps both).
    void NoteHostsFolderChanged() { hostsFolderChanged_ = true; }

  private:
    struct CachedHostsFile {
        std::string path;
        std::uint64_t size = 0;
        std::uint64_t lastWriteTime = 0;
        std::shared_ptr<const HostsFileContent> content;
    };

    RegistryStoreSnapshot ReadStore(const RegistryStoreDefinition& definition);
    void ReadItems(const RegistryStoreDefinition& definition,
                   const std::string& relativePath,
                   std::size_t level,
                   RegistryStoreSnapshot& snapshot);
    HostsFileSnapshot ReadHostsFile(const RegistryStoreSnapshot& tcpipParameters);
    std::shared_ptr<const HostsFileContent> ReadHostsContent(const std::string& path, FileReadState& state);

    Platform platform_;
    std::atomic<bool> hostsFolderChanged_{false};
    std::unique_ptr<CachedHostsFile> cachedHosts_;
};

}  // namespace quillcrest
