#pragma once

#include <vector>

#include "resolution/hosts_file_access.h"

namespace quillcrest {

// HostsFileAccess on the wide file functions. The file is opened sharing reading, writing and deletion, so
// reading it never stands in the way of an editor saving it; a file another program holds open without sharing
// it for reading is Unreadable. One object serves one thread.
class Win32HostsFileAccess final : public HostsFileAccess {
  public:
    std::optional<std::string> ExpandEnvironment(const std::string& text) override;
    FileFacts Facts(const std::string& path) override;
    FileReadState ReadPieces(const std::string& path, const std::function<void(std::string_view)>& consume) override;

  private:
    std::vector<char> readBuffer_;
};

}  // namespace quillcrest
