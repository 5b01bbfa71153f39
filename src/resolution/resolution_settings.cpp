#include "resolution/resolution_settings.h"

#include <utility>

#include "base/ascii_case.h"
#include "resolution/sha256.h"

namespace quillcrest {

bool operator==(const HostsFileSnapshot& a, const HostsFileSnapshot& b) {
    if (a.path != b.path || a.state != b.state || !a.content != !b.content)
        return false;
    if (!a.content || a.content == b.content)
        return true;
    return a.content->size == b.content->size && a.content->digest == b.content->digest &&
           a.content->bytes == b.content->bytes && a.content->entries == b.content->entries;
}

std::shared_ptr<const HostsFileContent> HostsContentFromBytes(std::string bytes, std::string digest) {
    auto content = std::make_shared<HostsFileContent>();
    content->size = bytes.size();
    content->digest = std::move(digest);
    if (content->parsed()) {
        content->entries = ParseHostsFile(bytes);
        content->bytes = std::move(bytes);
    }
    return content;
}

std::shared_ptr<const HostsFileContent> HostsContentFromBytes(std::string bytes) {
    std::string digest = Sha256Hex(bytes);
    return HostsContentFromBytes(std::move(bytes), std::move(digest));
}

std::shared_ptr<const HostsFileContent> HostsContentFromDigest(std::uint64_t size, std::string digest) {
    auto content = std::make_shared<HostsFileContent>();
    content->size = size;
    content->digest = std::move(digest);
    return content;
}

std::string HostsFolder(const HostsFileSnapshot& hosts) {
    const std::size_t separator = hosts.path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : hosts.path.substr(0, separator);
}

const RegistryKeyRecord* FindKey(const RegistryStoreSnapshot& store, const std::string& relativePath) {
    for (const RegistryKeyRecord& key : store.keys) {
        if (EqualIgnoringAsciiCase(key.path, relativePath))
            return &key;
    }
    return nullptr;
}

const RegistryValue* FindValue(const std::vector<RegistryValue>& values, const std::string& name) {
    for (const RegistryValue& value : values) {
        if (EqualIgnoringAsciiCase(value.name, name))
            return &value;
    }
    return nullptr;
}

const RegistryValue* FindValue(const RegistryKeyRecord& key, const std::string& name) {
    return FindValue(key.values, name);
}

}  // namespace quillcrest
