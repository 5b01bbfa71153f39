#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "service_options.h"

namespace quillcrest::lookupd {
namespace {

TEST(LookupdOptionsTest, DefaultsServeLoopbackOnTheLookupPort) {
    const ServiceOptions options = ParseServiceOptions({});
    EXPECT_EQ(options.address, "127.0.0.1");
    EXPECT_EQ(options.port, 6066);
    EXPECT_EQ(options.rogueList, "");
    EXPECT_EQ(options.countryDatabase, "/usr/share/GeoIP/GeoIP.dat");
    EXPECT_EQ(options.replyBytesPerSecond, 1000000u);
}

TEST(LookupdOptionsTest, ReadsEveryOptionInAnyOrder) {
    const ServiceOptions options =
        ParseServiceOptions({"--port", "16066", "--rogue-list", "rogue.txt", "--address", "0.0.0.0",
                             "--country-database", "c.dat", "--reply-budget", "250000"});
    EXPECT_EQ(options.address, "0.0.0.0");
    EXPECT_EQ(options.port, 16066);
    EXPECT_EQ(options.rogueList, "rogue.txt");
    EXPECT_EQ(options.countryDatabase, "c.dat");
    EXPECT_EQ(options.replyBytesPerSecond, 250000u);
}

TEST(LookupdOptionsTest, RejectsWhatItDoesNotKnow) {
    const std::vector<std::vector<std::string>> bad = {{"--port"},
                                                       {"--port", "65536"},
                                                       {"--port", "-1"},
                                                       {"--port", "6066x"},
                                                       {"--verbose", "yes"},
                                                       {"6066"},
                                                       {"--reply-budget", "1000000001"},
                                                       {"--reply-budget", "99999999999"}};
    for (const auto& arguments : bad) {
        SCOPED_TRACE(arguments[0] + (arguments.size() > 1 ? " " + arguments[1] : ""));
        EXPECT_THROW(ParseServiceOptions(arguments), std::invalid_argument);
    }
}

}  // namespace
}  // namespace quillcrest::lookupd
