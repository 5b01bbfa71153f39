// quillcrest-lookupd: answers the lookup requests of Quillcrest's DNS check over UDP.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <exception>
#include <iostream>
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

using UniqueFd = quillcrest::UniqueHandle<int, decltype(&::close), &::close, -1>;

// SIGTERM and SIGINT arrive through a descriptor the server's loop watches. They are blocked before any thread
// starts, so every thread inherits the mask and none is interrupted by them.
UniqueFd StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return UniqueFd(::signalfd(-1, &signals, SFD_CLOEXEC));
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quillcrest::lookupd;
    try {
        const ServiceOptions options = ParseServiceOptions(std::vector<std::string>(argv + 1, argv + argc));
        const UniqueFd stop = StopSignals();
        if (!stop)
            throw std::runtime_error("cannot watch for SIGTERM");
        const RogueList rogueList = options.rogueList.empty() ? RogueList() : RogueList::Load(options.rogueList);
        GeoIpCountryLookup countries(options.countryDatabase);
        if (!countries.opened())
            std::cerr << "no country database at " << options.countryDatabase << ": countries are Unknown\n";
        SystemHostNameResolver systemNames;
        DeadlineHostNameResolver names(systemNames);
        LookupResponder responder(rogueList, countries, names);
        RequestLog log(std::cout);
        UdpLookupServer server(options.address, options.port, responder, log);
        std::cout << "listening on " << options.address << ":" << server.port() << " with "
                  << rogueList.entries().size() << " rogue blocks" << std::endl;
        server.Run(stop.get());
        std::cout << "stopped" << std::endl;
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "quillcrest-lookupd: " << error.what() << "\n";
        return 1;
    }
}
