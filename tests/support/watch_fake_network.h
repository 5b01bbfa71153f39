#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/exception.h"
#include "netconfig/adapter_method_return.h"
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
    // Adapters that refuse their servers, with the method's return value; they are not logged as changed.
    std::map<std::string, std::uint32_t> refusingAdapters;
    // When set, every change request raises this before changing anything, as a declined consent prompt does.
    std::optional<std::string> declineWith;
    // Adapters that take their servers but want Windows restarted.
    std::vector<std::string> restartingAdapters;
    // Whether the network shows every change and asks before making it, as the elevated run's window does.
    bool asksBeforeChanging = false;

    // Runs once the requested changes are made, before the request returns: the messages a real change
    // dispatches while it waits (timer ticks, the settings notification) arrive there.
    std::function<void()> afterChanging;

    int listReads = 0;
    // How many times the watch asked for changes: once per user action.
    int changeRequests = 0;
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

    DnsChangeOutcome ChangeAdaptersDns(const std::vector<DnsAssignment>& assignments) override {
        ++changeRequests;
        if (declineWith)
            throw Exception(*declineWith);
        DnsChangeOutcome changed = ChangeEach(assignments, [this](const DnsAssignment& assignment) {
            const std::string& settingId = assignment.settingId;
            if (failingAdapter && *failingAdapter == settingId)
                throw Exception("WMI is unreachable");
            DnsChangeOutcome outcome;
            const auto refusing = refusingAdapters.find(settingId);
            if (refusing != refusingAdapters.end()) {
                outcome.refusals.push_back({settingId, refusing->second, AdapterMethodReturnText(refusing->second)});
                return outcome;
            }
            std::string entry = "set " + settingId + " ";
            for (std::size_t i = 0; i < assignment.servers.size(); ++i)
                entry += (i > 0 ? "," : "") + assignment.servers[i];
            log.push_back(entry);
            for (const std::string& restarting : restartingAdapters)
                outcome.restartNeeded = outcome.restartNeeded || restarting == settingId;
            return outcome;
        });
        if (afterChanging)
            afterChanging();
        return changed;
    }

    bool AsksBeforeChanging(const std::vector<DnsAssignment>& assignments) override {
        return asksBeforeChanging && !assignments.empty();
    }

    void FlushDNSCache() override { log.push_back("flush"); }

    std::vector<std::string> GetTcpipInterfaces() override { return tcpipInterfaces; }
};

}  // namespace quillcrest::fakes
