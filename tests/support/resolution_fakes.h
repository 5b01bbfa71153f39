#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ascii_case.h"
#include "resolution/adapter_dns_source.h"
#include "resolution/hosts_file_access.h"
#include "resolution/registry_tree.h"

namespace quillcrest::fakes {

// An in-memory HKEY_LOCAL_MACHINE: keys by path (ASCII case aside), each Read with its values, or Unreadable.
// Subkeys are the keys one level below a path, as the registry would list them. Every ReadKey is recorded.
class FakeRegistryTree : public RegistryTree {
  public:
    void AddValue(const std::string& path, RegistryValue value) {
        AddKey(path);
        keys_[AsciiLowerCase(path)].values.push_back(std::move(value));
    }
    // Adds the key and every key above it.
    void AddKey(const std::string& path) {
        for (std::size_t end = path.find('\\'); end != std::string::npos; end = path.find('\\', end + 1))
            Ensure(path.substr(0, end));
        Ensure(path);
    }
    void MakeUnreadable(const std::string& path) {
        AddKey(path);
        keys_[AsciiLowerCase(path)].unreadable = true;
    }

    RegistryKeyContents ReadKey(const std::string& path, const RegistryKeyQuery& query) override {
        reads.push_back(path);
        RegistryKeyContents contents;
        const auto found = keys_.find(AsciiLowerCase(path));
        if (found == keys_.end())
            return contents;
        if (found->second.unreadable) {
            contents.state = ReadState::Unreadable;
            return contents;
        }
        contents.state = ReadState::Read;
        if (query.subkeys) {
            const std::string prefix = AsciiLowerCase(path) + "\\";
            for (const auto& [lowered, key] : keys_) {
                if (lowered.compare(0, prefix.size(), prefix) == 0 &&
                    lowered.find('\\', prefix.size()) == std::string::npos)
                    contents.subkeys.push_back(key.name);
            }
        }
        for (const RegistryValue& value : found->second.values) {
            bool wanted = query.allValues;
            for (const std::string& name : query.valueNames)
                wanted = wanted || EqualIgnoringAsciiCase(name, value.name);
            if (wanted)
                contents.values.push_back(value);
        }
        return contents;
    }

    std::vector<std::string> reads;

  private:
    struct Key {
        std::string name;
        bool unreadable = false;
        std::vector<RegistryValue> values;
    };

    void Ensure(const std::string& path) {
        Key& key = keys_[AsciiLowerCase(path)];
        key.name = path.substr(path.rfind('\\') + 1);
    }

    std::map<std::string, Key> keys_;
};

class FakeAdapterSource : public AdapterDnsSource {
  public:
    AdapterSnapshot ReadAdapters() override { return snapshot; }
    AdapterSnapshot snapshot;
};

// Files by path, with the facts the file system tells and the bytes a read hands on; "%SystemRoot%" expands to
// C:\Windows. Counts the reads of each file.
class FakeHostsFiles : public HostsFileAccess {
  public:
    struct File {
        FileFacts facts;
        std::string bytes;
        // What a read answers: Present hands on the bytes.
        FileReadState readState = FileReadState::Present;
    };

    void Put(const std::string& path, std::string bytes, std::uint64_t lastWriteTime) {
        File& file = files[path];
        file.facts = FileFacts{FileReadState::Present, bytes.size(), lastWriteTime};
        file.bytes = std::move(bytes);
        file.readState = FileReadState::Present;
    }

    std::optional<std::string> ExpandEnvironment(const std::string& text) override {
        if (!expands)
            return std::nullopt;
        std::string expanded = text;
        const std::string variable = "%SystemRoot%";
        for (std::size_t at = expanded.find(variable); at != std::string::npos; at = expanded.find(variable))
            expanded.replace(at, variable.size(), "C:\\Windows");
        return expanded;
    }
    FileFacts Facts(const std::string& path) override {
        const auto found = files.find(path);
        return found == files.end() ? FileFacts() : found->second.facts;
    }
    FileReadState ReadPieces(const std::string& path, const std::function<void(std::string_view)>& consume) override {
        ++readCounts[path];
        const auto found = files.find(path);
        if (found == files.end())
            return FileReadState::Missing;
        if (found->second.readState == FileReadState::Present) {
            // In pieces, as a real read hands them on.
            const std::string& bytes = found->second.bytes;
            for (std::size_t at = 0; at < bytes.size(); at += kPieceSize)
                consume(std::string_view(bytes).substr(at, kPieceSize));
        }
        return found->second.readState;
    }

    static constexpr std::size_t kPieceSize = 4096;
    std::map<std::string, File> files;
    std::map<std::string, int> readCounts;
    bool expands = true;
};

}  // namespace quillcrest::fakes
