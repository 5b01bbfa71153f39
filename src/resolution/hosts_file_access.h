#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillcrest {

enum class FileReadState { Missing, Present, Unreadable };

// What the file system tells of a file without opening it.
struct FileFacts {
    FileReadState state = FileReadState::Missing;
    std::uint64_t size = 0;
    // The last write time in the file system's own units.
    std::uint64_t lastWriteTime = 0;
};

// The few file operations the hosts file needs. Paths and texts are WTF-8. Never throws.
class HostsFileAccess {
  public:
    virtual ~HostsFileAccess() = default;

    // text with its environment strings ("%SystemRoot%") expanded; nullopt when that fails.
    virtual std::optional<std::string> ExpandEnvironment(const std::string& text) = 0;
    // Size and last write time; Missing when there is no such file (or no such folder), Unreadable when it
    // cannot be told.
    virtual FileFacts Facts(const std::string& path) = 0;
    // Opens the file sharing it with writers and hands its bytes to consume in pieces, in order. Present when all
    // of it was handed on; Missing when there is no such file; Unreadable when it could not be opened (held open
    // without sharing, no rights) or reading failed part way.
    virtual FileReadState ReadPieces(const std::string& path, const std::function<void(std::string_view)>& consume) = 0;
};

}  // namespace quillcrest
