#pragma once

#include <optional>
#include <string>
#include <vector>

#include "watch/hosts_folder_watch.h"

namespace quillcrest::fakes {

// The hosts folder's notification as plain state: the folder watched (nullopt: none), and every Watch and Stop
// in order ("watch FOLDER", "stop"). The test delivers the signals.
class FakeHostsFolderWatch : public HostsFolderWatch {
  public:
    std::optional<std::string> watched;
    std::vector<std::string> log;

    void Watch(const std::string& folder) override {
        watched = folder;
        log.push_back("watch " + folder);
    }
    void Stop() override {
        watched.reset();
        log.push_back("stop");
    }
};

}  // namespace quillcrest::fakes
