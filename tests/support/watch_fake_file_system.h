#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "watch/file_system.h"

namespace quillcrest::fakes {

// Files in memory. Each operation can be made to fail; a failing write still leaves the bytes it was given
// in the file, as a disk that fills up half-way does, so only a replacement that never reaches the target
// keeps the old file whole.
class FakeFileSystem : public FileSystem {
  public:
    enum class Step { Read, Create, Write, Flush, Close, Move };

    std::map<std::string, std::string> files;
    std::set<Step> failingSteps;
    // Files that exist but cannot be read.
    std::set<std::string> unreadable;
    std::vector<std::string> removed;
    // Files left open for writing.
    int openFiles = 0;

    std::optional<std::string> ReadWhole(const std::string& path) override {
        if (unreadable.count(path) || failingSteps.count(Step::Read))
            throw EFileError("Cannot read \"" + path + "\": access denied");
        const auto it = files.find(path);
        if (it == files.end())
            return std::nullopt;
        return it->second;
    }
    bool Exists(const std::string& path) override { return files.count(path) > 0 || unreadable.count(path) > 0; }

    std::unique_ptr<WritableFile> CreateForWriting(const std::string& path) override {
        FailAt(Step::Create, "create", path);
        files[path].clear();
        return std::make_unique<File>(*this, path);
    }
    void MoveReplacing(const std::string& from, const std::string& to) override {
        FailAt(Step::Move, "replace", to);
        Rename(from, to);
    }
    void Remove(const std::string& path) noexcept override {
        removed.push_back(path);
        files.erase(path);
    }

  private:
    class File : public WritableFile {
      public:
        File(FakeFileSystem& owner, std::string path) : owner_(owner), path_(std::move(path)) { ++owner_.openFiles; }
        ~File() override {
            if (open_)
                --owner_.openFiles;
        }
        void Write(const std::string& bytes) override {
            owner_.files[path_] += bytes;
            owner_.FailAt(Step::Write, "write", path_);
        }
        void Flush() override { owner_.FailAt(Step::Flush, "flush", path_); }
        void Close() override {
            open_ = false;
            --owner_.openFiles;
            owner_.FailAt(Step::Close, "close", path_);
        }

      private:
        FakeFileSystem& owner_;
        std::string path_;
        bool open_ = true;
    };

    void FailAt(Step step, const char* action, const std::string& path) {
        if (failingSteps.count(step))
            throw EFileError(std::string("Cannot ") + action + " \"" + path + "\": the disk is full");
    }
    void Rename(const std::string& from, const std::string& to) {
        files[to] = files.at(from);
        files.erase(from);
    }
};

}  // namespace quillcrest::fakes
