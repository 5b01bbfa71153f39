#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/exception.h"
#include "watch/watch_network.h"

namespace quillcrest::fakes {

// The machine's network as the watch sees it, in memory. Every change the watch makes is logged in order as
// "set <id> <servers joined by ,>" and "flush", so a test can see what was changed and when the cache was flushed.
class FakeWatchNetwork : public WatchNetwork {
  public:
    // What CurrentDnsList answers; nullopt plays a failed platform call.
    std::optional<std::string> currentList = std::string("10.0.0.1,10.0.0.2");
    // When set, the reads answer these in turn (then currentList once they are used up).
    std::vector<std::optional<std::string>> upcomingLists;
    std::vector<std::string> tcpipInterfaces;
    // The assignment for this identifier raises, as WMI being unreachable does.
    std::optional<std::string> failingAdapter;

    int listReads = 0;
    std::vector<std::string> log;

    std::optional<std::string> CurrentDnsList() override {
        ++listReads;
        if (!upcomingLists.empty()) {
            std::optional<std::string> next = upcomingLists.front();
            upcomingLists.erase(upcomingLists.begin());
            return next;
        }
        return currentList;
    }

    void SetAdaptorDNS(const std::string& settingId, const std::vector<std::string>& servers) override {
        if (failingAdapter && *failingAdapter == settingId)
            throw Exception("WMI is unreachable");
        std::string entry = "set " + settingId + " ";
        for (std::size_t i = 0; i < servers.size(); ++i)
            entry += (i > 0 ? "," : "") + servers[i];
        log.push_back(entry);
    }

    void FlushDNSCache() override { log.push_back("flush"); }

    std::vector<std::string> GetTcpipInterfaces() override { return tcpipInterfaces; }
};

}  // namespace quillcrest::fakes
