// quillcrest-lookupd: answers the lookup requests of Quillcrest's DNS check over UDP.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/unique_handle.h"
#include "deadline_host_name_resolver.h"
#include "geoip_country_lookup.h"
#include "lookup_responder.h"
#include "rogue_list.h"
#include "service_options.h"
#include "system_host_name_resolver.h"
#include "udp_lookup_server.h"

namespace {

// Workers beyond those that may wait for a name.
constexpr std::size_t kSpareWorkers = 8;

using UniqueFd = quillcrest::UniqueHandle<int, decltype(&::close), &::close, -1>;

// The write end of the stop pipe, for the signal handler.
int stopWriteFd = -1;

void OnStopSignal(int) {
    const char byte = 0;
    // write() is async-signal-safe; a full pipe already holds a stop request.
    [[maybe_unused]] const ssize_t ignored = ::write(stopWriteFd, &byte, 1);
}

// SIGTERM and SIGINT write into a pipe that the server's loop watches. A handler, unlike a blocked signal read
// through signalfd, works whichever thread the signal lands on (sanitizer runtimes start threads of their own).
struct StopPipe {
    UniqueFd read;
    UniqueFd write;
};

StopPipe WatchStopSignals() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot create the stop pipe");
    StopPipe stop{UniqueFd(ends[0]), UniqueFd(ends[1])};
    stopWriteFd = stop.write.get();
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGTERM, &action, nullptr) != 0 || ::sigaction(SIGINT, &action, nullptr) != 0)
        throw std::runtime_error("cannot watch for SIGTERM");
    return stop;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quillcrest::lookupd;
    try {
        const ServiceOptions options = ParseServiceOptions(std::vector<std::string>(argv + 1, argv + argc));
        const StopPipe stop = WatchStopSignals();
        const RogueList rogueList = options.rogueList.empty() ? RogueList() : RogueList::Load(options.rogueList);
        GeoIpCountryLookup countries(options.countryDatabase);
        if (!countries.opened())
            std::cerr << "no country database at " << options.countryDatabase << ": countries are Unknown\n";
        // Static: a lookup stuck in the system's resolver may still be running in it when main returns.
        static SystemHostNameResolver systemNames;
        const ResolverPoolLimits poolLimits;
        DeadlineHostNameResolver names(systemNames, poolLimits);
        LookupResponder responder(rogueList, countries, names);
        RequestLog log(std::cout);
        ServerLimits serverLimits;
        // Enough workers for every lookup the resolver holds and some to spare, so that requests that need no
        // lookup (cached names, private addresses) find a worker even while every lookup slot is taken.
        serverLimits.workers = poolLimits.threads + poolLimits.queued + kSpareWorkers;
        serverLimits.replyBytesPerSecond = options.replyBytesPerSecond;
        UdpLookupServer server(options.address, options.port, responder, log, RateLimits{}, serverLimits);
        log.Note("listening on " + options.address + ":" + std::to_string(server.port()) + " with " +
                 std::to_string(rogueList.entries().size()) + " rogue blocks");
        server.Run(stop.read.get(), [&names] { names.Stop(); });
        log.Note("stopped");
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "quillcrest-lookupd: " << error.what() << "\n";
        return 1;
    }
}
