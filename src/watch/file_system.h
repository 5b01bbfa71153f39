#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/exception.h"

namespace quillcrest {

// Raised when a file cannot be read, written or put in place; the message names the file and the cause.
class EFileError : public Exception {
  public:
    // code: the system's error code, 0 when there is none.
    explicit EFileError(const std::string& message, std::uint32_t code = 0) : Exception(message), code_(code) {}
    std::uint32_t code() const { return code_; }

  private:
    std::uint32_t code_;
};

// A file opened for writing. The destructor closes it quietly when Close was not reached.
class WritableFile {
  public:
    virtual ~WritableFile() = default;

    virtual void Write(const std::string& bytes) = 0;
    // Pushes the written bytes down to the disk.
    virtual void Flush() = 0;
    virtual void Close() = 0;
};

// The few file operations the watch needs. Every operation but Exists and Remove raises EFileError. Paths are UTF-8.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The whole content of the file; nullopt when there is no such file. Raises when the file is there but
    // cannot be read.
    virtual std::optional<std::string> ReadWhole(const std::string& path) = 0;
    virtual bool Exists(const std::string& path) = 0;
    // Creates the file empty, replacing one that is there.
    virtual std::unique_ptr<WritableFile> CreateForWriting(const std::string& path) = 0;
    // Renames from to to in one step, replacing a file that is there, and returns only when the rename is on the
    // disk. At every moment to names either its old file or all of from.
    virtual void MoveReplacing(const std::string& from, const std::string& to) = 0;
    // Deletes the file if it can; never raises.
    virtual void Remove(const std::string& path) noexcept = 0;
};

}  // namespace quillcrest
