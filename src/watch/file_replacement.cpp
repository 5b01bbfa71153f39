#include "watch/file_replacement.h"

#include <memory>
#include <optional>
#include <utility>

namespace quillcrest {
namespace {

constexpr char kReplacementSuffix[] = ".new";
constexpr char kIncompleteSuffix[] = ".incomplete";

// Removes the temporary file unless the replacement reached its end.
class ReplacementCleanup {
  public:
    ReplacementCleanup(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
    ~ReplacementCleanup() {
        if (!done_)
            files_.Remove(path_);
    }
    ReplacementCleanup(const ReplacementCleanup&) = delete;
    ReplacementCleanup& operator=(const ReplacementCleanup&) = delete;

    void Done() { done_ = true; }

  private:
    FileSystem& files_;
    std::string path_;
    bool done_ = false;
};

}  // namespace

std::string ReplacementFileName(const std::string& path) {
    return path + kReplacementSuffix;
}

std::string IncompleteReplacementFileName(const std::string& path) {
    return path + kIncompleteSuffix;
}

void ReplaceFileContents(FileSystem& files, const std::string& path, const std::string& contents) {
    const std::string temporary = ReplacementFileName(path);
    ReplacementCleanup cleanup(files, temporary);
    {
        // The file is closed before it is removed or moved, also when writing fails.
        std::unique_ptr<WritableFile> file = files.CreateForWriting(temporary);
        file->Write(contents);
        file->Flush();
        file->Close();
    }
    // A rename is the one replacement that never passes through a moment without path: a replace-file call of
    // the system moves the old file aside first, and a process killed in between loses the file.
    files.MoveReplacing(temporary, path);
    cleanup.Done();
}

void RecoverInterruptedReplacement(FileSystem& files, const std::string& path, const WholeContentsCheck& isWhole) {
    const std::string temporary = ReplacementFileName(path);
    if (!files.Exists(temporary))
        return;
    if (files.Exists(path)) {
        files.Remove(temporary);
        return;
    }
    const std::optional<std::string> contents = files.ReadWhole(temporary);
    // Gone meanwhile: nothing to finish.
    if (!contents)
        return;
    files.MoveReplacing(temporary, isWhole(*contents) ? path : IncompleteReplacementFileName(path));
}

}  // namespace quillcrest
