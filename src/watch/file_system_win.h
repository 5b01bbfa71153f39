#pragma once

#include "watch/file_system.h"

namespace quillcrest {

// FileSystem on the Win32 file functions. Paths are UTF-8 and reach the W functions whole, so a folder named in
// characters outside the ANSI code page works like any other.
class WinFileSystem : public FileSystem {
  public:
    std::optional<std::string> ReadWhole(const std::string& path) override;
    bool Exists(const std::string& path) override;
    std::unique_ptr<WritableFile> CreateForWriting(const std::string& path) override;
    void MoveReplacing(const std::string& from, const std::string& to) override;
    void Remove(const std::string& path) noexcept override;
};

}  // namespace quillcrest
