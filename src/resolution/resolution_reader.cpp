#include "resolution/resolution_reader.h"

#include <utility>

#include "resolution/registry_value_text.h"
#include "resolution/sha256.h"

namespace quillcrest {
namespace {

constexpr char kDatabasePathValue[] = "DataBasePath";

std::string Child(const std::string& path, const std::string& name) {
    return path.empty() ? name : path + "\\" + name;
}

RegistryKeyQuery ItemQuery(const RegistryStoreDefinition& definition) {
    RegistryKeyQuery query;
    query.allValues = definition.valueNames.empty();
    for (const char* name : definition.valueNames)
        query.valueNames.emplace_back(name);
    return query;
}

// A store whose key is its one item.
RegistryStoreSnapshot ReadKeyStore(RegistryTree& registry, const RegistryStoreDefinition& definition) {
    RegistryStoreSnapshot snapshot;
    RegistryKeyContents root = registry.ReadKey(definition.keyPath, ItemQuery(definition));
    snapshot.state = root.state;
    if (root.state == ReadState::Read && !root.values.empty())
        snapshot.keys.push_back(RegistryKeyRecord{"", ReadState::Read, std::move(root.values)});
    return snapshot;
}

}  // namespace

std::optional<std::string> HostsFilePathNow(RegistryTree& registry, HostsFileAccess& files) {
    return HostsFilePathOf(ReadKeyStore(registry, Definition(RegistryStore::TcpipParameters)), files);
}

std::optional<std::string> HostsFilePathOf(const RegistryStoreSnapshot& tcpipParameters, HostsFileAccess& files) {
    if (tcpipParameters.state == ReadState::Unreadable)
        return std::nullopt;
    std::string folder = kDefaultHostsFolder;
    if (const RegistryKeyRecord* key = FindKey(tcpipParameters, "")) {
        if (const RegistryValue* value = FindValue(*key, kDatabasePathValue)) {
            if (const std::optional<std::string> text = TextValue(*value))
                folder = *text;
        }
    }
    std::optional<std::string> path = files.ExpandEnvironment(folder);
    if (!path)
        return std::nullopt;
    if (!path->empty() && path->back() != '\\')
        *path += '\\';
    *path += kHostsFileName;
    return path;
}

ResolutionReader::ResolutionReader(Platform platform) : platform_(platform) {}

ResolutionSettings ResolutionReader::ReadAll() {
    ResolutionSettings settings;
    settings.adapters = platform_.adapters.ReadAdapters();
    for (const RegistryStoreDefinition& definition : RegistryStoreDefinitions())
        settings.store(definition.store) = ReadStore(definition);
    settings.hosts = ReadHostsFile(settings.store(RegistryStore::TcpipParameters));
    return settings;
}

RegistryStoreSnapshot ResolutionReader::ReadStore(const RegistryStoreDefinition& definition) {
    RegistryStoreSnapshot snapshot;
    const std::string rootPath = definition.keyPath;
    if (definition.itemLevels.empty())
        return ReadKeyStore(platform_.registry, definition);
    RegistryKeyQuery listing;
    listing.subkeys = true;
    const RegistryKeyContents root = platform_.registry.ReadKey(rootPath, listing);
    snapshot.state = root.state;
    if (root.state != ReadState::Read)
        return snapshot;
    for (const std::string& subkey : root.subkeys)
        ReadItems(definition, subkey, 1, snapshot);
    return snapshot;
}

// relativePath names a key at level (1 for the store key's subkeys); items sit at the depth of itemLevels.
void ResolutionReader::ReadItems(const RegistryStoreDefinition& definition,
                                 const std::string& relativePath,
                                 std::size_t level,
                                 RegistryStoreSnapshot& snapshot) {
    const std::string path = Child(definition.keyPath, relativePath);
    const bool isItem = level == definition.itemLevels.size();
    const bool listsEverySubkey = !isItem && std::string(definition.itemLevels[level]) == kEverySubkeyLevel;
    RegistryKeyQuery query = isItem ? ItemQuery(definition) : RegistryKeyQuery();
    query.subkeys = listsEverySubkey;
    // Keys between the store's key and its items are only opened when their subkeys are listed: a fixed name
    // below them is opened straight away, which also tells whether they exist.
    if (!isItem && !listsEverySubkey) {
        for (const std::string& name : LevelNames(definition.itemLevels[level]))
            ReadItems(definition, Child(relativePath, name), level + 1, snapshot);
        return;
    }
    RegistryKeyContents contents = platform_.registry.ReadKey(path, query);
    if (contents.state == ReadState::Unreadable) {
        snapshot.keys.push_back(RegistryKeyRecord{relativePath, ReadState::Unreadable, {}});
        return;
    }
    if (contents.state == ReadState::Absent)
        return;
    if (isItem) {
        if (!contents.values.empty())
            snapshot.keys.push_back(RegistryKeyRecord{relativePath, ReadState::Read, std::move(contents.values)});
        return;
    }
    for (const std::string& subkey : contents.subkeys)
        ReadItems(definition, Child(relativePath, subkey), level + 1, snapshot);
}

HostsFileSnapshot ResolutionReader::ReadHostsFile(const RegistryStoreSnapshot& tcpipParameters) {
    HostsFileSnapshot hosts;
    hosts.state = HostsFileState::Unreadable;
    std::optional<std::string> path = HostsFilePathOf(tcpipParameters, platform_.files);
    if (!path)
        return hosts;
    hosts.path = std::move(*path);

    const FileFacts facts = platform_.files.Facts(hosts.path);
    if (facts.state != FileReadState::Present) {
        cachedHosts_.reset();
        hosts.state = facts.state == FileReadState::Missing ? HostsFileState::Absent : HostsFileState::Unreadable;
        return hosts;
    }
    // The flag goes down before the file is read, so a change signalled while it is read brings another read.
    const bool signalled = hostsFolderChanged_.exchange(false);
    const bool unchanged = cachedHosts_ && !signalled && cachedHosts_->path == hosts.path &&
                           cachedHosts_->size == facts.size && cachedHosts_->lastWriteTime == facts.lastWriteTime;
    if (!unchanged) {
        cachedHosts_.reset();
        FileReadState readState = FileReadState::Present;
        std::shared_ptr<const HostsFileContent> content = ReadHostsContent(hosts.path, readState);
        if (readState != FileReadState::Present) {
            hosts.state = readState == FileReadState::Missing ? HostsFileState::Absent : HostsFileState::Unreadable;
            return hosts;
        }
        // The facts from before the read: a write during the read leaves them older than the content, so the
        // next read finds them changed and reads again.
        cachedHosts_ = std::make_unique<CachedHostsFile>(
            CachedHostsFile{hosts.path, facts.size, facts.lastWriteTime, std::move(content)});
    }
    hosts.content = cachedHosts_->content;
    hosts.state = hosts.content->parsed() ? HostsFileState::Read : HostsFileState::TooLarge;
    return hosts;
}

std::shared_ptr<const HostsFileContent> ResolutionReader::ReadHostsContent(const std::string& path,
                                                                           FileReadState& state) {
    Sha256 digest;
    std::string bytes;
    std::uint64_t size = 0;
    state = platform_.files.ReadPieces(path, [&](std::string_view piece) {
        digest.Update(piece);
        size += piece.size();
        // Beyond the limit the bytes are no longer kept; the digest takes them all.
        if (size <= kHostsFileParseLimit)
            bytes.append(piece);
        else
            std::string().swap(bytes);
    });
    if (state != FileReadState::Present)
        return nullptr;
    std::string digestHex = DigestHex(digest.Finish());
    if (size > kHostsFileParseLimit)
        return HostsContentFromDigest(size, std::move(digestHex));
    return HostsContentFromBytes(std::move(bytes), std::move(digestHex));
}

}  // namespace quillcrest
